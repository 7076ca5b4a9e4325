// One file's results as the page shows them, from the core's analysis: Tonalyte's overall
// key, ranked keys and timeline; the profile analysis; the key map; the chords' saving.
import { core, keyName, profileKeyName } from './core.js';
import { drawKeyMap, fillLegend } from './keymap.js';
import { mixNote, usedChannels } from './mix.js';

const $ = (id) => document.getElementById(id);

function bars(list, items) {
  list.replaceChildren(...items.map(({ label, share }) => {
    const li = document.createElement('li');
    const name = document.createElement('span');
    name.textContent = label;
    const track = document.createElement('span');
    track.className = 'track';
    const fill = document.createElement('span');
    fill.className = 'fill';
    fill.style.width = `${Math.max(0, Math.min(100, share * 100))}%`;
    fill.style.display = 'block';
    track.append(fill);
    const pct = document.createElement('span');
    pct.className = 'pct';
    pct.textContent = `${Math.round(share * 100)} %`;
    track.setAttribute('role', 'presentation');
    li.setAttribute('aria-label', `${label}: ${pct.textContent}`);
    li.append(name, track, pct);
    return li;
  }));
}

// The run's outcome in words where the core's code ("no-data") would tell a reader nothing.
export function outcomeText(entry) {
  const r = entry.result, used = usedChannels(r);
  switch (r.outcome) {
    case 'no-data':
      return used && (used & ~(entry.choices?.muted ?? 0)) === 0 ? 'no notes analysed: every channel is muted'
        : 'no notes to analyse in the chosen tracks';
    case 'out-of-buffer': return `no key: over ${core().choices().maxNoteEvents.toLocaleString('en')} note events`;
    case 'track-not-found': return 'the chosen track is not in this file';
    case 'library-error': return 'the library refused a note';
    default: return r.outcome + (r.status.trim() ? ` (${r.status.trim()} events)` : '');
  }
}

// What a file over the event buffer shows instead of Tonalyte's key, and why.
function limitNote(r) {
  const limit = core().choices().maxNoteEvents.toLocaleString('en');
  return `This file holds more than ${limit} note events, the most Tonalyte reads at once, so it names no key `
    + `for it ("Out of buffer"). The profile analysis, the key map and the chords cover the notes up to `
    + `bar ${r.limitBar}; a play plays the whole file and follows it live.`;
}

function set(id, text) {
  $(id).textContent = text ?? '';
}

export function clearResults() {
  for (const id of ['tonalyte-key', 'profile-key', 'tonalyte-probability', 'tonalyte-signature', 'tonalyte-status',
    'profile-confidence', 'profile-line', 'profile-changes', 'results-file', 'timeline-meter'])
    set(id, '');
  for (const id of ['ranked-keys', 'profile-candidates', 'timeline', 'key-map-legend']) $(id).replaceChildren();
  $('refusal').hidden = true;
  $('run-note').hidden = true;
  $('mix-note').hidden = true;
  drawKeyMap($('key-map'), null, 0);
  for (const id of ['save-csv', 'save-json', 'save-chords', 'save-rntxt', 'save-score', 'save-map']) $(id).disabled = true;
}

export function showResults(entry, notation) {
  clearResults();
  const r = entry.result;
  set('results-file', entry.name);
  if (!r) return;
  if (r.refusal !== null) {
    $('refusal').hidden = false;
    $('refusal').textContent = `Refused: ${r.refusal}` + (r.splittable ? ' (choose "Read format 0 files one track per channel" to read it)' : '');
  }
  // The mix the file was analysed with, kept from the files before.
  const mix = r.refusal === null && entry.choices ? mixNote(usedChannels(r), entry.choices.muted, entry.choices.transpose) : '';
  $('mix-note').hidden = !mix;
  $('mix-note').textContent = mix;
  if (r.outcome === 'out-of-buffer') {
    $('run-note').hidden = false;
    $('run-note').textContent = limitNote(r);
  }
  const hasKey = r.keyCode > 0;
  set('tonalyte-key', hasKey ? keyName(r.keyCode, notation) : '');
  const json = JSON.parse(r.json);
  set('tonalyte-probability', json.probability !== null ? `${json.probability} %` : '');
  set('tonalyte-signature', r.signature);
  set('tonalyte-status', outcomeText(entry));
  bars($('ranked-keys'), r.ranked.map((k) => ({ label: keyName(k.keyCode, notation), share: k.percent / 100 })));
  const { meters, defaultMeter } = core().choices();
  set('timeline-meter', `in bars of ${meters[entry.choices.meter ?? defaultMeter]}`);
  $('timeline').replaceChildren(...r.timeline.map((p) => {
    const li = document.createElement('li');
    li.textContent = `${String(p.at).padStart(4, '0')}: ${keyName(p.keyCode, notation)}`;
    return li;
  }));
  const p = r.profile;
  if (p) {
    set('profile-key', p.keyCode > 0 ? profileKeyName(p, notation) : 'no key');
    set('profile-confidence', p.keyCode > 0 ? `${Math.round(p.confidence * 100)} %${p.ambiguous ? ', ambiguous' : ''}` : '');
    set('profile-line', p.lines[notation]);
    set('profile-changes', p.changes);
    bars($('profile-candidates'), p.candidates.map((c) => ({ label: profileKeyName(c, notation), share: c.confidence })));
  }
  if (r.keyMap) {
    drawKeyMap($('key-map'), r.keyMap, notation);
    fillLegend($('key-map-legend'), r.keyMap, notation);
  }
  $('save-csv').disabled = $('save-json').disabled = false;
  $('save-map').disabled = !r.keyMap;
  $('save-chords').disabled = !(r.chords?.symbols.length > 0);
  $('save-rntxt').disabled = !r.romanText;
  $('save-score').disabled = !r.annotatedScore;
}
