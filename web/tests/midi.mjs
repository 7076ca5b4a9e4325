// Small Standard MIDI Files for the page's tests: a tempo track and one track of notes.
function varLen(n) {
  const bytes = [n & 0x7f];
  while ((n >>= 7) > 0) bytes.unshift((n & 0x7f) | 0x80);
  return bytes;
}

function chunk(type, data) {
  const len = data.length;
  return [...Buffer.from(type), (len >>> 24) & 255, (len >>> 16) & 255, (len >>> 8) & 255, len & 255, ...data];
}

function trackOf(notes) {
  const events = [];
  for (const n of notes) {
    events.push({ at: n.at, bytes: [0x90 | (n.channel ?? 0), n.pitch, 90] });
    events.push({ at: n.at + n.length, bytes: [0x80 | (n.channel ?? 0), n.pitch, 0] });
  }
  events.sort((a, b) => a.at - b.at || a.bytes[0] - b.bytes[0]);
  const track = [];
  let last = 0;
  for (const e of events) {
    track.push(...varLen(e.at - last), ...e.bytes);
    last = e.at;
  }
  track.push(0, 0xff, 0x2f, 0);
  return track;
}

// notes: [{at, length, pitch, channel = 0}] in ticks (480 a quarter, 120 bpm); format 0: one
// track; trackPerChannel: the notes of each channel in a track of their own, in channel order.
export function midiFile(notes, { format = 1, trackPerChannel = false } = {}) {
  const channels = [...new Set(notes.map((n) => n.channel ?? 0))].sort((a, b) => a - b);
  const tracks = trackPerChannel ? channels.map((c) => trackOf(notes.filter((n) => (n.channel ?? 0) === c))) : [trackOf(notes)];
  const tempo = [0, 0xff, 0x51, 3, 0x07, 0xa1, 0x20, 0, 0xff, 0x2f, 0];
  const header = chunk('MThd', [0, format, 0, format === 0 ? 1 : tracks.length + 1, 0x01, 0xe0]);
  const body = format === 0 ? chunk('MTrk', [...tempo.slice(0, 7), ...tracks[0]])
    : [...chunk('MTrk', tempo), ...tracks.flatMap((t) => chunk('MTrk', t))];
  return Buffer.from([...header, ...body]);
}

// A scale up and down, then the tonic, dominant and subdominant chords, `times` over.
export function keyPiece(tonic, times = 4) {
  const steps = [0, 2, 4, 5, 7, 9, 11, 12];
  const notes = [];
  let at = 0;
  for (let t = 0; t < times; ++t) {
    for (const s of [...steps, ...steps.slice().reverse()]) {
      notes.push({ at, length: 220, pitch: tonic + s });
      at += 240;
    }
    for (const chord of [[0, 4, 7], [5, 9, 12], [7, 11, 14], [0, 4, 7]]) {
      for (const s of chord) notes.push({ at, length: 900, pitch: tonic - 12 + s });
      at += 960;
    }
  }
  return notes;
}

// Held triads a bar each (2 s at 120 bpm), C F G C, `times` over: every bar's chord is plain.
export function chordPiece(times = 2) {
  const notes = [];
  let at = 0;
  for (let t = 0; t < times; ++t) {
    for (const chord of [[60, 64, 67], [65, 69, 72], [67, 71, 74], [60, 64, 67]]) {
      for (const pitch of chord) notes.push({ at, length: 1920, pitch });
      at += 1920;
    }
  }
  return notes;
}
