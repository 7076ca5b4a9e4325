// The page: files in, the core's results out; the play and listening around one engine.
import { core, loadCore } from './core.js';
import { clock } from './clock.js';
import { ChordLane } from './chordlane.js';
import { commandJson, download, FileList } from './files.js';
import { drawKeyMap, keyMapPicture } from './keymap.js';
import { Listener } from './listen.js';
import { mixNote, MuteBoxes, usedChannels } from './mix.js';
import { PianoRoll } from './pianoroll.js';
import { Player } from './player.js';
import { clearResults, showResults } from './results.js';
import { loadSynth } from './synth.js';

const $ = (id) => document.getElementById(id);
const status = (text) => { $('page-status').textContent = text; };

let mutes = null; // the channels muted, kept across files

function choices() {
  const track = $('track').value;
  return {
    track: track === 'all' ? 'all' : Number(track),
    moreSensitive: $('sensitivity').value === 'more',
    meter: Number($('meter').value),
    keys: Number($('keys').value),
    splitFormat0: $('split-format0').checked,
    transpose: Math.max(-12, Math.min(12, Number($('transpose').value) || 0)),
    tempo: Number($('tempo').value),
    muted: mutes?.muted ?? 0,
    notation: notation(),
  };
}

const notation = () => Number($('notation').value);

function clockText(ms) {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

// The position as the clock shows it and as the slider and the roll say it, never past the end.
let spoken = '';
function showPosition(pos, length) {
  const at = Math.max(0, Math.min(pos, length));
  $('position-text').textContent = `${clockText(at)} / ${clockText(length)}`;
  const words = `${clockText(at)} of ${clockText(length)}`;
  if (words === spoken) return;
  spoken = words;
  $('position').setAttribute('aria-valuetext', words);
  const roll = $('piano-roll');
  roll.setAttribute('aria-valuemax', String(Math.round(length)));
  roll.setAttribute('aria-valuenow', String(Math.round(at)));
  roll.setAttribute('aria-valuetext', words);
}

// A file's length before a play: its roll's end, at the tempo chosen now.
function fileLength(entry) {
  const r = entry?.result;
  return r?.roll ? Math.round(r.roll.endMs * (entry.choices?.tempo ?? 100) / Number($('tempo').value)) : 0;
}

// The meters, key counts and file names offered, from the core's table of choices.
function fillChoices({ meters, defaultMeter, keyCounts, defaultKeyCount, extensions }) {
  $('meter').replaceChildren(...meters.map((m, i) => new Option(m, String(i), i === defaultMeter, i === defaultMeter)));
  $('keys').replaceChildren(...keyCounts.map(({ value, label }) => new Option(label, String(value), value === defaultKeyCount,
    value === defaultKeyCount)));
  $('file-input').accept = [...extensions, 'audio/midi', 'audio/x-midi'].join(',');
}

async function main() {
  status('Loading…');
  await loadCore();
  fillChoices(core().choices());
  const live = new (core().Live)();
  const roll = new PianoRoll($('piano-roll'), (ms) => player.seek(ms));
  const lane = new ChordLane($('chord-lane'), $('chord-list'), $('chord-count'), (ms) => player.seek(ms));
  let liveMapDrawn = 0;
  let played = null; // the entry the play plays, whose chords the play looks up

  const files = new FileList($('file-list'), (entry) => {
    showResults(entry, notation());
    listTracks(entry);
    mutes.show(entry.result?.channels);
    roll.setRoll(entry.result?.roll ?? null);
    lane.setChords(entry.result?.chords ?? null, entry.result?.roll?.endMs ?? 0);
    if (!player.playing) showPosition(0, fileLength(entry));
    setPlayable();
  }, (entry) => {
    if (entry === played) live.useChords(entry.result.chords ?? null);
    // The engine is one: a play goes on from where it stood, its state rebuilt.
    if (player.playing) player.seek(player.position());
  });

  function listTracks(entry) {
    const count = entry.result?.trackCount ?? 0;
    const chosen = $('track').value;
    const options = [['all', 'All']];
    // Track 1 is the tempo track: "Track 01" is the file's second, at the list's first place.
    const { tracks, trackOne } = core().choices();
    for (let t = 0; t < Math.max(0, count - 1) && t < tracks; ++t) {
      options.push([String(t + trackOne), `Track ${String(t + 1).padStart(2, '0')}`]);
    }
    $('track').replaceChildren(...options.map(([v, text]) => new Option(text, v, false, v === chosen)));
  }

  // The play.
  const player = new Player(live, (pos, state) => showPlay(pos, state), (state) => {
    $('sound-status').textContent = state.refused ? 'The library refused a note: the play stopped.' : 'The play ended.';
    if (!state.refused) showReport('play', live.report(choices()));
    setPlayable();
  });

  // What the library reports when a play ends or listening stops, as the window shows it.
  function showReport(prefix, report) {
    const found = report.keyCode > 0;
    $(`${prefix}-report-type`).textContent = report.kType;
    $(`${prefix}-report-key`).textContent = found ? core().keyName(report.keyCode, notation()) : report.error;
    $(`${prefix}-report-probability`).textContent = report.haStr;
    $(`${prefix}-report-keys`).textContent = report.keyList.join(', ');
    $(`${prefix}-report-timeline`).textContent = report.keyPoint.join(', ');
    $(`${prefix}-report`).hidden = false;
  }

  // going: a play or listening goes on, before whose first seconds the library names no key.
  function showLive(state, keyId, sigId, profileId, going) {
    const waiting = going && state.keyCode === 0 && !state.name;
    $(keyId).textContent = state.keyCode > 0 ? core().keyName(state.keyCode, notation()) : waiting ? 'not yet' : state.name;
    $(sigId).textContent = waiting ? 'Tonalyte names a key after a few seconds of notes' : state.signature;
    $(profileId).textContent = state.profile.lines[notation()];
  }

  // The file the play plays, and the chords it looks the chord of the moment up in.
  function compose(entry) {
    played = entry;
    live.useChords(entry.result?.chords ?? null);
    return player.compose(entry.bytes, choices());
  }

  function showPlay(pos, state) {
    $('position').value = String(Math.round(pos));
    showPosition(pos, player.lengthMs);
    showLive(state, 'live-key', 'live-signature', 'live-profile', player.playing);
    roll.drawPosition(pos);
    $('live-chord').textContent = state.chord.text;
    lane.drawPosition(pos, files.current === played ? state.chord.index : -1);
    if (Math.abs(pos - liveMapDrawn) >= 500 || pos < liveMapDrawn) {
      liveMapDrawn = pos;
      drawKeyMap($('live-map'), live.liveMap(), notation(), pos / 1000);
    }
  }

  function setPlayable() {
    const entry = files.current;
    // A file over the event buffer plays whole, as in the window.
    const can = !!entry?.result?.roll && (entry.result.succeeded || entry.result.outcome === 'out-of-buffer');
    $('play-button').disabled = !can;
    $('stop-button').disabled = !player.playing;
    $('pause-button').disabled = !player.playing;
    $('pause-button').setAttribute('aria-pressed', String(player.paused));
    $('pause-button').textContent = player.paused ? 'Go on' : 'Pause';
    $('position').disabled = !player.playing;
    $('piano-roll').setAttribute('aria-disabled', String(!player.playing));
    $('play-button').textContent = player.playing ? 'Play from the start' : 'Play';
  }

  async function play() {
    const entry = files.current;
    if (!entry) return;
    listener.stop();
    $('play-report').hidden = true;
    const list = compose(entry);
    if (!list.ok) {
      $('sound-status').textContent = `Cannot play: ${list.why}.`;
      return;
    }
    $('position').max = String(player.lengthMs);
    if (!player.synth) {
      $('sound-status').textContent = 'Loading the synthesizer…';
      const sound = loadSynth().then((synth) => {
        player.setSynth(synth);
        if (!clock.manual) clock.useAudio(synth);
        $('sound-status').textContent = '';
      }, (e) => { $('sound-status').textContent = `No sound: ${e.message}. The keys are followed all the same.`; });
      // A test's clock does not wait for sound.
      if (!clock.manual) await sound;
    }
    liveMapDrawn = 0;
    if (!player.start()) $('sound-status').textContent = 'The library\'s clock would not start.';
    setPlayable();
  }

  // A choice changes what plays or how it is followed: the list is made again and the play
  // goes on where it stood, at the same place in the music, or stops saying why.
  function rechoose(tempoBefore) {
    if (!player.playing || !played) return;
    const pos = player.position() * tempoBefore / Number($('tempo').value);
    const paused = player.paused;
    const list = compose(played);
    if (!list.ok) {
      player.stop();
      $('sound-status').textContent = `The play stopped: ${list.why}.`;
      setPlayable();
      return;
    }
    $('position').max = String(player.lengthMs);
    player.start();
    if (paused) player.pause();
    player.seek(pos);
    setPlayable();
  }

  $('play-button').addEventListener('click', play);
  $('stop-button').addEventListener('click', () => { player.stop(); setPlayable(); });
  $('pause-button').addEventListener('click', () => { if (player.paused) player.resume(); else player.pause(); setPlayable(); });
  $('position').addEventListener('input', () => player.seek(Number($('position').value)));
  let tempoBefore = 100;
  $('tempo').addEventListener('input', () => {
    $('tempo-text').textContent = `${$('tempo').value} %`;
    rechoose(tempoBefore);
    if (!player.playing && files.current) showPosition(0, fileLength(files.current));
    tempoBefore = Number($('tempo').value);
  });

  // Listening.
  const listener = new Listener(live, {
    button: $('listen-button'), stop: $('listen-stop'), select: $('midi-input'), status: $('listen-status'),
    moreSensitive: () => choices().moreSensitive,
  }, (state) => showLive(state, 'listen-key', 'listen-signature', 'listen-profile', listener.listening));
  listener.onStart = () => { player.stop(); setPlayable(); $('listen-report').hidden = true; };
  listener.onStop = () => showReport('listen', live.report(choices()));

  // Files.
  async function read(list) {
    if (!list.length) return;
    player.stop();
    listener.stop();
    clearResults();
    setPlayable();
    status(`Reading ${list.length} file${list.length > 1 ? 's' : ''}…`);
    const generation = await files.read(list, choices(), notation());
    if (generation !== files.generation) return;
    const { read: count, refused } = files.counts();
    const plural = (n) => `${n} file${n === 1 ? '' : 's'}`;
    status(`${plural(count)} read${refused ? `, ${refused} refused` : ''}.${mixStatus()}`);
  }

  // What the mix kept leaves out of the files read, for the status line.
  function mixStatus() {
    const used = files.entries.reduce((bits, e) => bits | usedChannels(e.result), 0);
    const note = mixNote(used, mutes.muted, choices().transpose);
    return note ? ` ${note}.` : '';
  }
  $('file-input').addEventListener('change', (e) => read([...e.target.files]));
  const zone = document.body;
  zone.addEventListener('dragover', (e) => { e.preventDefault(); $('drop-zone').classList.add('dragging'); });
  zone.addEventListener('dragleave', () => $('drop-zone').classList.remove('dragging'));
  zone.addEventListener('drop', (e) => {
    e.preventDefault();
    $('drop-zone').classList.remove('dragging');
    read([...e.dataTransfer.files]);
  });

  // Choices: the analyses run again and a play follows them; what is heard and what is
  // analysed stay the same notes. The key names only change how they are shown.
  const rechosen = async (mixed) => {
    listener.stop();
    rechoose(Number($('tempo').value));
    await files.reanalyse(choices(), notation());
    if (mixed) status(mixStatus().trim() || 'Every channel heard and analysed, not transposed.');
  };
  for (const id of ['track', 'sensitivity', 'meter', 'keys', 'split-format0']) $(id).addEventListener('change', () => rechosen(false));
  $('transpose').addEventListener('change', () => rechosen(true));
  mutes = new MuteBoxes($('channels'), () => rechosen(true));
  $('notation').addEventListener('change', () => {
    files.render(notation());
    if (files.current) showResults(files.current, notation());
  });

  // Saving.
  const base = () => files.current.name.replace(/\.[^.]*$/, '');
  $('save-csv').addEventListener('click', () => download(`${base()}.csv`, new Blob([files.current.result.csv], { type: 'text/csv' })));
  $('save-json').addEventListener('click', () => download(`${base()}.json`, new Blob([commandJson(files.current)], { type: 'application/json' })));
  $('save-chords').addEventListener('click', () => download(`${base()}-chords.csv`, new Blob([files.current.result.chordsCsv], { type: 'text/csv' })));
  $('save-map').addEventListener('click', () => keyMapPicture($('key-map'), files.current.result.keyMap, notation())
    .toBlob((b) => download(`${base()}-keymap.png`, b)));

  window.addEventListener('resize', () => {
    if (files.current) { showResults(files.current, notation()); roll.render(); lane.render(); }
  });
  matchMedia('(prefers-color-scheme: dark)').addEventListener('change', () => {
    if (files.current) { showResults(files.current, notation()); roll.render(); lane.render(); }
  });
  clearResults();
  roll.render();
  lane.render();
  drawKeyMap($('live-map'), null, 0);
  setPlayable();
  status('Ready: open or drop MIDI files.');
  // For benchmarks: the core's own calls, timed without the page around them.
  window.tunedeckHooks.core = core();
  document.body.dataset.ready = 'true';
}

main().catch((e) => status(`The page could not start: ${e.message || e}`));
