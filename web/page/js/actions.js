// The page's actions, each named and run by the page's one dispatcher (page.js): an action
// changes the state (state.js), and through the engine the play or listening, and marks what
// it changed; the dispatcher then draws that (view.js). The actions that wait are in flows.js.
import { clock } from './clock.js';
import { core } from './core.js';
import { commandJson, download } from './files.js';
import { keyMapPicture } from './keymap.js';
import { whyNoMidi } from './listen.js';
import { muteChannel } from './mix.js';
import { analysisChoices, current, fileCounts, mixStatus, trackOptions } from './state.js';
import { followView, isWhole, panView, wholeView, zoomView } from './timeview.js';

// The entry shown is new or analysed again: its results, its tracks, the mix, roll and chords.
function showChosen(page) {
  const { state } = page;
  state.tracks = trackOptions(current(state));
  state.view = null;
  // A track the file lacks is not offered: the choice falls back to all of them.
  if (!state.tracks.some(([value]) => value === String(state.choices.track))) state.choices = { ...state.choices, track: 'all' };
  page.changed('chosen');
}

// Listening stops; what it heard last stays shown, with the library's report.
function stopListening(page) {
  const { state, live } = page;
  page.changed('listenButtons');
  if (!page.listener.stop()) return;
  state.listen.live = live.state();
  state.listen.report = live.report(analysisChoices(state));
  page.changed('listenLive', 'listenReport');
}

// The file the play plays, and the chords it looks the chord of the moment up in.
function listPlay(page, entry) {
  page.state.play.entry = entry;
  page.live.useChords(entry.result?.chords ?? null);
  return page.player.compose(entry.bytes, analysisChoices(page.state));
}

// A choice changes what plays or how it is followed: the list is made again and the play goes
// on where it stood, at the same place in the music, or stops saying why.
function replay(page, tempoBefore) {
  const { state, player } = page, play = state.play;
  if (!play.playing || !play.entry) return;
  const pos = player.position() * tempoBefore / state.choices.tempo;
  const paused = play.paused;
  const list = listPlay(page, play.entry);
  if (!list.ok) {
    player.stop();
    play.soundStatus = `The play stopped: ${list.why}.`;
    page.changed('sound', 'transport');
    return;
  }
  page.changed('length');
  player.start();
  if (paused) player.pause();
  player.seek(pos);
  page.changed('transport');
}

const files = {
  // New files replace the list; the play and listening stop.
  readStarted(page, count) {
    const { state } = page;
    page.player.stop();
    stopListening(page);
    state.status = `Reading ${count} file${count > 1 ? 's' : ''}…`;
    state.generation += 1;
    state.entries = [];
    state.chosen = 0;
    page.changed('cleared', 'transport', 'status', 'table');
  },

  loaded(page, entry) {
    page.state.entries.push(entry);
  },

  // One entry analysed with choices; the first shown as soon as it is.
  analyse(page, { index, choices }) {
    const { state, player } = page, entry = state.entries[index];
    const t0 = performance.now();
    entry.result = core().analyse(entry.bytes, choices, entry.name);
    entry.ms = performance.now() - t0;
    if (entry === state.play.entry) page.live.useChords(entry.result.chords ?? null);
    // The engine is one: a play goes on from where it stood, its state rebuilt.
    if (state.play.playing) player.seek(player.position());
    entry.choices = { ...choices };
    state.analysed = index;
    page.changed('row');
    if (index === state.chosen) showChosen(page);
  },

  readDone(page) {
    const { state } = page, { read, refused } = fileCounts(state.entries);
    const plural = (n) => `${n} file${n === 1 ? '' : 's'}`;
    state.status = `${plural(read)} read${refused ? `, ${refused} refused` : ''}.${mixStatus(state)}`;
    page.changed('status');
  },

  choose(page, index) {
    const { state } = page;
    if (index < 0 || index >= state.entries.length) return;
    state.chosen = index;
    page.changed('marks');
    showChosen(page);
  },

  dragging(page, on) {
    page.state.dragging = on;
    page.changed('dropZone');
  },
};

const choices = {
  // A value typed and not yet committed, which a read or a play takes all the same.
  record(page, values) {
    page.state.choices = values;
  },

  // The choices or the mix changed: listening stops, a play follows and the files are to be
  // analysed again. What is heard and what is analysed stay the same notes.
  rechoose(page, { choices: values, mute }) {
    const { state } = page;
    if (values) state.choices = values;
    if (mute) state.muted = muteChannel(state.muted, mute.channel, mute.on);
    stopListening(page);
    replay(page, state.choices.tempo);
    state.generation += 1;
  },

  mixStated(page) {
    const { state } = page;
    state.status = mixStatus(state).trim() || 'Every channel heard and analysed, not transposed.';
    page.changed('status');
  },

  // The key names only change how keys are shown.
  notation(page, notation) {
    page.state.notation = notation;
    page.changed('table', 'results');
  },

  tempo(page, values) {
    const { state } = page, before = state.choices.tempo;
    state.choices = values;
    page.changed('tempo');
    replay(page, before);
    page.changed('idlePosition');
  },
};

const play = {
  // The play list of the file shown, made before the synthesizer is asked for.
  compose(page) {
    const { state } = page, entry = current(state);
    state.play.ready = false;
    if (!entry) return;
    stopListening(page);
    state.play.report = null;
    page.changed('playReport');
    const list = listPlay(page, entry);
    if (!list.ok) {
      state.play.soundStatus = `Cannot play: ${list.why}.`;
      page.changed('sound');
      return;
    }
    state.play.ready = true;
    page.changed('length');
  },

  synthLoading(page) {
    page.state.play.soundStatus = 'Loading the synthesizer…';
    page.changed('sound');
  },

  synthLoaded(page, synth) {
    page.player.setSynth(synth);
    if (!clock.manual) clock.useAudio(synth);
    page.state.play.soundStatus = '';
    page.changed('sound');
  },

  synthFailed(page, e) {
    page.state.play.soundStatus = `No sound: ${e.message}. The keys are followed all the same.`;
    page.changed('sound');
  },

  start(page) {
    const { play: p } = page.state;
    p.ready = false;
    p.mapAt = 0;
    if (!page.player.start()) {
      p.soundStatus = 'The library\'s clock would not start.';
      page.changed('sound');
    }
    page.changed('transport');
  },

  // The play at pos, and what the library says there; the live map every half second.
  frame(page, { pos, live }) {
    const { play: p } = page.state;
    p.pos = pos;
    p.live = live;
    page.changed('frame');
    // A zoomed roll turns its pages so that the play stays in view.
    const endMs = current(page.state)?.result?.roll?.endMs ?? 0;
    if (page.state.view && p.playing && endMs > 0) {
      const view = followView(page.state.view, endMs, pos);
      if (view !== page.state.view) {
        page.state.view = view;
        page.changed('zoomed');
      }
    }
    if (Math.abs(pos - p.mapAt) >= 500 || pos < p.mapAt) {
      p.mapAt = pos;
      p.map = page.live.liveMap();
      page.changed('liveMap');
    }
  },

  // The play's end, or the library refused a note.
  ended(page, live) {
    const { state } = page;
    page.player.stop();
    state.play.soundStatus = live.refused ? 'The library refused a note: the play stopped.' : 'The play ended.';
    page.changed('sound');
    if (!live.refused) {
      state.play.report = page.live.report(analysisChoices(state));
      page.changed('playReport');
    }
    page.changed('transport');
  },

  stop(page) {
    page.player.stop();
    page.changed('transport');
  },

  pause(page) {
    if (page.state.play.paused) page.player.resume(); else page.player.pause();
    page.changed('transport');
  },

  seek(page, ms) {
    page.player.seek(ms);
  },

  // request: {factor, anchorMs?} about anchorMs (else the play where it shows, else the
  // middle), {whole}, {panShare} of the view along, or {showMs} brought into view.
  zoom(page, request) {
    const { state } = page, endMs = current(state)?.result?.roll?.endMs ?? 0;
    if (endMs <= 0) return;
    const view = state.view ?? wholeView(endMs), { pos, playing } = state.play;
    const shown = playing && pos >= view.startMs && pos <= view.startMs + view.spanMs;
    const anchor = request.anchorMs ?? (shown ? pos : view.startMs + view.spanMs / 2);
    if (request.whole) state.view = null;
    else if (request.factor) state.view = zoomView(view, endMs, request.factor, anchor);
    else if (request.panShare) state.view = panView(view, endMs, request.panShare * view.spanMs);
    else if (request.showMs !== undefined) state.view = followView(view, endMs, request.showMs);
    if (state.view && isWhole(state.view, endMs)) state.view = null;
    page.changed('zoomed');
  },
};

const listening = {
  inputs(page, inputs) {
    const { listen } = page.state;
    listen.inputs = inputs;
    if (!inputs.some((i) => i.id === listen.inputId)) listen.inputId = inputs[0]?.id ?? '';
    page.changed('inputs');
  },

  chooseInput(page, id) {
    page.state.listen.inputId = id;
  },

  listenFailed(page, e) {
    page.state.listen.status = `Cannot listen: ${whyNoMidi(e)}`;
    page.changed('listenStatus');
  },

  // Listening to the input chosen stops a play.
  listenTo(page) {
    const { state, player, listener } = page, { listen } = state;
    const input = listen.inputs.find((i) => i.id === listen.inputId) ?? listen.inputs[0];
    if (!input) {
      listen.status = 'No MIDI input is connected.';
      page.changed('listenStatus');
      return;
    }
    stopListening(page);
    player.stop();
    listen.report = null;
    page.changed('transport', 'listenReport');
    if (!listener.start(input, state.choices.moreSensitive)) {
      listen.status = 'The library\'s clock would not start.';
      page.changed('listenStatus');
      return;
    }
    listen.status = `Listening to ${input.name || input.id}.`;
    page.changed('listenStatus', 'listenButtons');
    listener.tick();
  },

  listenFrame(page, live) {
    const { listen } = page.state;
    listen.live = live;
    page.changed('listenLive');
    if (live.running) return;
    stopListening(page);
    listen.status = 'The library refused a note: listening stopped.';
    page.changed('listenStatus');
  },

  listenStop(page) {
    stopListening(page);
  },
};

const shown = {
  // The shown file's results saved as the command writes them, or its key map as a picture.
  save(p, kind) {
    const { state } = p, entry = current(state), r = entry.result;
    const base = entry.name.replace(/\.[^.]*$/, '');
    if (kind === 'csv') download(`${base}.csv`, new Blob([r.csv], { type: 'text/csv' }));
    if (kind === 'json') download(`${base}.json`, new Blob([commandJson(entry)], { type: 'application/json' }));
    if (kind === 'chords') download(`${base}-chords.csv`, new Blob([r.chordsCsv], { type: 'text/csv' }));
    if (kind === 'rntxt') download(`${base}.rntxt`, new Blob([r.romanText], { type: 'text/plain' }));
    if (kind === 'score') download(`${base}.musicxml`, new Blob([r.annotatedScore], { type: 'application/vnd.recordare.musicxml+xml' }));
    if (kind === 'map') keyMapPicture(p.keyMap, r.keyMap, state.notation).toBlob((b) => download(`${base}-keymap.png`, b));
  },

  // A new size or colour scheme: the results and canvases drawn again.
  restyle(p) {
    if (current(p.state)) p.changed('results', 'canvases');
  },

  ready(p) {
    p.state.status = 'Ready: open or drop MIDI files.';
    p.changed('empty', 'transport', 'status');
  },
};

export const actions = { ...files, ...choices, ...play, ...listening, ...shown };
