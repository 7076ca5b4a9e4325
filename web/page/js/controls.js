// The page's controls: their values, which the state takes as its choices, and their
// listeners, which only dispatch the page's actions.
import { ZoomStep } from './timeview.js';

const $ = (id) => document.getElementById(id);

// The transposition typed, as a whole number within the core's range.
let transposeRange = { low: -12, high: 12 };

export function readControls() {
  const track = $('track').value;
  const { low, high } = transposeRange;
  return {
    track: track === 'all' ? 'all' : Number(track),
    moreSensitive: $('sensitivity').value === 'more',
    meter: Number($('meter').value),
    bars: Number($('bars').value),
    keys: Number($('keys').value),
    splitFormat0: $('split-format0').checked,
    unfoldRepeats: $('unfold-repeats').checked,
    transpose: Math.max(low, Math.min(high, Math.round(Number($('transpose').value)) || 0)),
    tempo: Number($('tempo').value),
  };
}

export const readNotation = () => Number($('notation').value);

// The controls as the core's table of choices has them: the meters and key counts offered,
// each field's default and range, and the file names taken.
export function fillChoices({ meters, keyCounts, fields, extensions }) {
  const meter = fields.meter.default, keys = fields.keys.default;
  $('meter').replaceChildren(...meters.map((m, i) => new Option(m, String(i), i === meter, i === meter)));
  $('keys').replaceChildren(...keyCounts.map(({ value, label }) => new Option(label, String(value), value === keys,
    value === keys)));
  $('sensitivity').value = fields.moreSensitive.default ? 'more' : 'normal';
  $('bars').value = String(fields.bars.default);
  $('split-format0').checked = fields.splitFormat0.default;
  $('unfold-repeats').checked = fields.unfoldRepeats.default;
  $('notation').value = String(fields.notation.default);
  transposeRange = fields.transpose;
  for (const [id, field] of [['transpose', fields.transpose], ['tempo', fields.tempo]])
    Object.assign($(id), { min: String(field.low), max: String(field.high), value: String(field.default) });
  $('file-input').accept = [...extensions, 'audio/midi', 'audio/x-midi', 'application/vnd.recordare.musicxml',
    'application/vnd.recordare.musicxml+xml'].join(',');
}

function wireFiles(dispatch) {
  $('file-input').addEventListener('change', (e) => dispatch('read', [...e.target.files]));
  const zone = document.body;
  zone.addEventListener('dragover', (e) => { e.preventDefault(); dispatch('dragging', true); });
  zone.addEventListener('dragleave', () => dispatch('dragging', false));
  zone.addEventListener('drop', (e) => {
    e.preventDefault();
    dispatch('dragging', false);
    dispatch('read', [...e.dataTransfer.files]);
  });
}

function wireChoices(dispatch) {
  for (const id of ['track', 'sensitivity', 'meter', 'bars', 'keys', 'split-format0', 'unfold-repeats'])
    $(id).addEventListener('change', () => dispatch('choices', { choices: readControls(), mixed: false }));
  $('transpose').addEventListener('input', () => dispatch('record', readControls()));
  $('transpose').addEventListener('change', () => dispatch('choices', { choices: readControls(), mixed: true }));
  $('notation').addEventListener('change', () => dispatch('notation', readNotation()));
  $('tempo').addEventListener('input', () => dispatch('tempo', readControls()));
}

function wirePlay(dispatch) {
  $('play-button').addEventListener('click', () => dispatch('play'));
  $('stop-button').addEventListener('click', () => dispatch('stop'));
  $('pause-button').addEventListener('click', () => dispatch('pause'));
  $('position').addEventListener('input', () => dispatch('seek', Number($('position').value)));
  $('zoom-in').addEventListener('click', () => dispatch('zoom', { factor: ZoomStep }));
  $('zoom-out').addEventListener('click', () => dispatch('zoom', { factor: 1 / ZoomStep }));
  $('zoom-whole').addEventListener('click', () => dispatch('zoom', { whole: true }));
}

function wireListening(dispatch) {
  $('listen-button').addEventListener('click', () => dispatch('listen'));
  $('listen-stop').addEventListener('click', () => dispatch('listenStop'));
  $('midi-input').addEventListener('change', () => dispatch('chooseInput', $('midi-input').value));
}

function wireSaving(dispatch) {
  for (const kind of ['csv', 'json', 'chords', 'rntxt', 'score', 'map']) $(`save-${kind}`).addEventListener('click', () => dispatch('save', kind));
}

function wireWindow(dispatch) {
  window.addEventListener('resize', () => dispatch('restyle'));
  matchMedia('(prefers-color-scheme: dark)').addEventListener('change', () => dispatch('restyle'));
}

export function wireControls(dispatch) {
  for (const wire of [wireFiles, wireChoices, wirePlay, wireListening, wireSaving, wireWindow]) wire(dispatch);
}
