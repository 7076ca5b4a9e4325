// The page's controls: their values, which the state takes as its choices, and their
// listeners, which only dispatch the page's actions.
const $ = (id) => document.getElementById(id);

export function readControls() {
  const track = $('track').value;
  return {
    track: track === 'all' ? 'all' : Number(track),
    moreSensitive: $('sensitivity').value === 'more',
    meter: Number($('meter').value),
    keys: Number($('keys').value),
    splitFormat0: $('split-format0').checked,
    transpose: Math.max(-12, Math.min(12, Number($('transpose').value) || 0)),
    tempo: Number($('tempo').value),
  };
}

export const readNotation = () => Number($('notation').value);

// The meters, key counts and file names offered, from the core's table of choices.
export function fillChoices({ meters, defaultMeter, keyCounts, defaultKeyCount, extensions }) {
  $('meter').replaceChildren(...meters.map((m, i) => new Option(m, String(i), i === defaultMeter, i === defaultMeter)));
  $('keys').replaceChildren(...keyCounts.map(({ value, label }) => new Option(label, String(value), value === defaultKeyCount,
    value === defaultKeyCount)));
  $('file-input').accept = [...extensions, 'audio/midi', 'audio/x-midi'].join(',');
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
  for (const id of ['track', 'sensitivity', 'meter', 'keys', 'split-format0'])
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
}

function wireListening(dispatch) {
  $('listen-button').addEventListener('click', () => dispatch('listen'));
  $('listen-stop').addEventListener('click', () => dispatch('listenStop'));
  $('midi-input').addEventListener('change', () => dispatch('chooseInput', $('midi-input').value));
}

function wireSaving(dispatch) {
  for (const kind of ['csv', 'json', 'chords', 'map']) $(`save-${kind}`).addEventListener('click', () => dispatch('save', kind));
}

function wireWindow(dispatch) {
  window.addEventListener('resize', () => dispatch('restyle'));
  matchMedia('(prefers-color-scheme: dark)').addEventListener('change', () => dispatch('restyle'));
}

export function wireControls(dispatch) {
  for (const wire of [wireFiles, wireChoices, wirePlay, wireListening, wireSaving, wireWindow]) wire(dispatch);
}
