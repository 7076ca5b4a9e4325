// Small MusicXML scores for the page's tests: one part in 4/4 at 120 quarters a minute, two
// divisions a quarter, notes spelled with the key signature's accidentals; compressed (.mxl)
// through the tests' zip maker.
import { zipFile } from './zip.mjs';

const sharps = ['C', 'C#', 'D', 'D#', 'E', 'F', 'F#', 'G', 'G#', 'A', 'A#', 'B'];
const flats = ['C', 'Db', 'D', 'Eb', 'E', 'F', 'Gb', 'G', 'Ab', 'A', 'Bb', 'B'];

function pitchXml(pitch, fifths) {
  const name = (fifths < 0 ? flats : sharps)[pitch % 12];
  const alter = name[1] === '#' ? 1 : name[1] === 'b' ? -1 : 0;
  return `<pitch><step>${name[0]}</step>${alter ? `<alter>${alter}</alter>` : ''}<octave>${Math.floor(pitch / 12) - 1}</octave></pitch>`;
}

// A scale up and down in eighths, then the tonic, subdominant, dominant and tonic chords in
// halves: four bars, as midi.mjs's keyPiece plays them.
export function keyMeasures(tonic) {
  const steps = [0, 2, 4, 5, 7, 9, 11, 12];
  const scale = [...steps, ...steps.slice().reverse()].map((s) => [[tonic + s], 1]);
  const chords = [[0, 4, 7], [5, 9, 12], [7, 11, 14], [0, 4, 7]].map((c) => [c.map((s) => tonic - 12 + s), 4]);
  const events = [...scale, ...chords];
  const measures = [];
  for (let at = 0, bar = []; events.length; ) {
    const event = events.shift();
    bar.push(event);
    at += event[1];
    if (at % 8 === 0) { measures.push(bar); bar = []; }
  }
  return measures; // each a list of [pitches, eighths]
}

// measures: lists of [pitches, eighths]; repeat: the bars between `from` and `to` (0-based,
// inclusive) marked to be played twice.
export function scoreXml(measures, { fifths = 0, repeat = null } = {}) {
  const bars = measures.map((events, i) => {
    const notes = events.flatMap(([pitches, eighths]) => pitches.map((p, k) =>
      `<note>${k ? '<chord/>' : ''}${pitchXml(p, fifths)}<duration>${eighths}</duration><voice>1</voice></note>`));
    const head = i === 0 ? `<attributes><divisions>2</divisions><key><fifths>${fifths}</fifths></key>`
      + '<time><beats>4</beats><beat-type>4</beat-type></time><clef><sign>G</sign><line>2</line></clef></attributes>'
      + '<sound tempo="120"/>' : '';
    const open = repeat && i === repeat.from ? '<barline location="left"><repeat direction="forward"/></barline>' : '';
    const close = repeat && i === repeat.to ? '<barline location="right"><repeat direction="backward"/></barline>' : '';
    return `<measure number="${i + 1}">${open}${head}${notes.join('')}${close}</measure>`;
  });
  return '<?xml version="1.0" encoding="UTF-8"?>\n<score-partwise version="4.0"><part-list>'
    + '<score-part id="P1"><part-name>Piano</part-name></score-part></part-list>'
    + `<part id="P1">${bars.join('')}</part></score-partwise>\n`;
}

// The score compressed, its container naming the root file.
export function compressed(xml, root = 'score.musicxml') {
  const container = '<?xml version="1.0" encoding="UTF-8"?>\n<container><rootfiles>'
    + `<rootfile full-path="${root}" media-type="application/vnd.recordare.musicxml+xml"/></rootfiles></container>`;
  return zipFile([
    { name: 'mimetype', data: 'application/vnd.recordare.musicxml', method: 0 },
    { name: 'META-INF/container.xml', data: container },
    { name: 'score.musicxml', data: xml },
  ]);
}
