// One file's results as the page shows them, from the core's analysis: Tonalyte's overall
// key, ranked keys and timeline; the profile analysis; the key map; the chords' saving.
import { core, keyName, profileKeyName } from './core.js';
import { drawKeyMap, fillLegend } from './keymap.js';

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

function set(id, text) {
  $(id).textContent = text ?? '';
}

export function clearResults() {
  for (const id of ['tonalyte-key', 'profile-key', 'tonalyte-probability', 'tonalyte-signature', 'tonalyte-status',
    'profile-confidence', 'profile-line', 'profile-changes', 'results-file', 'timeline-meter'])
    set(id, '');
  for (const id of ['ranked-keys', 'profile-candidates', 'timeline', 'key-map-legend']) $(id).replaceChildren();
  $('refusal').hidden = true;
  drawKeyMap($('key-map'), null, 0);
  for (const id of ['save-csv', 'save-json', 'save-chords', 'save-map']) $(id).disabled = true;
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
  const hasKey = r.keyCode > 0;
  set('tonalyte-key', hasKey ? keyName(r.keyCode, notation) : '');
  const json = JSON.parse(r.json);
  set('tonalyte-probability', json.probability !== null ? `${json.probability} %` : '');
  set('tonalyte-signature', r.signature);
  set('tonalyte-status', r.outcome + (r.status.trim() ? ` (${r.status.trim()} events)` : ''));
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
    set('profile-key', p.keyCode > 0 ? profileKeyName(p.keyCode, notation) : 'no key');
    set('profile-confidence', p.keyCode > 0 ? `${Math.round(p.confidence * 100)} %${p.ambiguous ? ', ambiguous' : ''}` : '');
    set('profile-line', p.lines[notation]);
    set('profile-changes', p.changes);
    bars($('profile-candidates'), p.candidates.map((c) => ({ label: profileKeyName(c.keyCode, notation), share: c.confidence })));
  }
  if (r.keyMap) {
    drawKeyMap($('key-map'), r.keyMap, notation);
    fillLegend($('key-map-legend'), r.keyMap, notation);
  }
  $('save-csv').disabled = $('save-json').disabled = false;
  $('save-map').disabled = !r.keyMap;
  $('save-chords').disabled = !(r.chords?.symbols.length > 0);
}
