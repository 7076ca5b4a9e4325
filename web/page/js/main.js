// The page: files in, the core's results out; the play and listening around one engine.
import { core, loadCore } from './core.js';
import { clock } from './clock.js';
import { ChordLane } from './chordlane.js';
import { commandJson, download, FileList } from './files.js';
import { drawKeyMap } from './keymap.js';
import { Listener } from './listen.js';
import { PianoRoll } from './pianoroll.js';
import { Player } from './player.js';
import { clearResults, showResults } from './results.js';
import { loadSynth } from './synth.js';

const $ = (id) => document.getElementById(id);
const status = (text) => { $('page-status').textContent = text; };

function choices() {
  const track = $('track').value;
  const muted = [...document.querySelectorAll('#channels input:checked')].reduce((m, c) => m | (1 << (Number(c.value) - 1)), 0);
  return {
    track: track === 'all' ? 'all' : Number(track),
    moreSensitive: $('sensitivity').value === 'more',
    meter: Number($('meter').value),
    keys: Number($('keys').value),
    splitFormat0: $('split-format0').checked,
    transpose: Math.max(-12, Math.min(12, Number($('transpose').value) || 0)),
    tempo: Number($('tempo').value),
    muted,
    notation: notation(),
  };
}

const notation = () => Number($('notation').value);

function clockText(ms) {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
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
    listChannels(entry);
    roll.setRoll(entry.result?.roll ?? null);
    lane.setChords(entry.result?.chords ?? null, entry.result?.roll?.endMs ?? 0);
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

  function listChannels(entry) {
    const box = $('channels');
    const muted = choices().muted;
    const channels = entry.result?.channels ?? [];
    box.replaceChildren(box.querySelector('legend'), ...channels.map((c) => {
      const label = document.createElement('label');
      const input = document.createElement('input');
      input.type = 'checkbox';
      input.value = String(c.channel);
      input.checked = (muted >> (c.channel - 1)) & 1;
      label.append(input, ` ${c.channel}: ${c.instrument}`);
      return label;
    }));
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

  function showLive(state, keyId, sigId, profileId) {
    $(keyId).textContent = state.keyCode > 0 ? core().keyName(state.keyCode, notation()) : state.name;
    $(sigId).textContent = state.signature;
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
    $('position-text').textContent = `${clockText(pos)} / ${clockText(player.lengthMs)}`;
    showLive(state, 'live-key', 'live-signature', 'live-profile');
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
    const can = !!entry?.result?.succeeded && !!entry.result.roll;
    $('play-button').disabled = !can;
    $('stop-button').disabled = !player.playing;
    $('pause-button').disabled = !player.playing;
    $('pause-button').setAttribute('aria-pressed', String(player.paused));
    $('pause-button').textContent = player.paused ? 'Go on' : 'Pause';
    $('position').disabled = !player.playing;
    $('play-button').textContent = player.playing ? 'Play from the start' : 'Play';
  }

  async function play() {
    const entry = files.current;
    if (!entry) return;
    listener.stop();
    $('play-report').hidden = true;
    if (!compose(entry)) {
      $('sound-status').textContent = 'The chosen track is not in this file.';
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

  // Tempo, transposition and muting change what plays: the list is made again and the play
  // goes on where it stood, at the same place in the music.
  function rechoose(tempoBefore) {
    if (!player.playing || !files.current) return;
    const pos = player.position() * tempoBefore / Number($('tempo').value);
    const paused = player.paused;
    compose(files.current);
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
    tempoBefore = Number($('tempo').value);
  });

  // Listening.
  const listener = new Listener(live, {
    button: $('listen-button'), stop: $('listen-stop'), select: $('midi-input'), status: $('listen-status'),
    moreSensitive: () => choices().moreSensitive,
  }, (state) => showLive(state, 'listen-key', 'listen-signature', 'listen-profile'));
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
    await files.read(list, choices(), notation());
    status(`${files.entries.length} file${files.entries.length > 1 ? 's' : ''} read.`);
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

  // Choices: the analyses run again; the key names only change how they are shown.
  for (const id of ['track', 'sensitivity', 'meter', 'keys', 'split-format0']) {
    $(id).addEventListener('change', () => { player.stop(); listener.stop(); setPlayable(); files.reanalyse(choices(), notation()); });
  }
  // What is heard and what is analysed stay the same notes.
  for (const id of ['transpose', 'channels']) {
    $(id).addEventListener('change', () => {
      listener.stop();
      rechoose(Number($('tempo').value));
      files.reanalyse(choices(), notation());
    });
  }
  $('notation').addEventListener('change', () => {
    files.render(notation());
    if (files.current) showResults(files.current, notation());
  });

  // Saving.
  const base = () => files.current.name.replace(/\.[^.]*$/, '');
  $('save-csv').addEventListener('click', () => download(`${base()}.csv`, new Blob([files.current.result.csv], { type: 'text/csv' })));
  $('save-json').addEventListener('click', () => download(`${base()}.json`, new Blob([commandJson(files.current)], { type: 'application/json' })));
  $('save-chords').addEventListener('click', () => download(`${base()}-chords.csv`, new Blob([files.current.result.chordsCsv], { type: 'text/csv' })));
  $('save-map').addEventListener('click', () => $('key-map').toBlob((b) => download(`${base()}-keymap.png`, b)));

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
