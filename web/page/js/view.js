// What the page shows of its state (state.js): one draw for each part an action marks changed,
// called by the dispatcher (page.js) once the action is done.
import { core } from './core.js';
import { drawKeyMap } from './keymap.js';
import { clearResults, showResults } from './results.js';
import { current, fileLength, playable } from './state.js';
import { MinSpanMs } from './timeview.js';

const $ = (id) => document.getElementById(id);

function clockText(ms) {
  const s = Math.max(0, Math.floor(ms / 1000));
  return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

// going: a play or listening goes on, before whose first seconds the library names no key.
function showLive(live, prefix, going, notation) {
  const waiting = going && live.keyCode === 0 && !live.name;
  $(`${prefix}-key`).textContent = live.keyCode > 0 ? core().keyName(live.keyCode, notation) : waiting ? 'not yet' : live.name;
  $(`${prefix}-signature`).textContent = waiting ? 'Tonalyte names a key after a few seconds of notes' : live.signature;
  $(`${prefix}-profile`).textContent = live.profile.lines[notation];
}

// What the library reports when a play ends or listening stops, as the window shows it; no
// report hides it.
function showReport(prefix, report, notation) {
  if (!report) {
    $(`${prefix}-report`).hidden = true;
    return;
  }
  const found = report.keyCode > 0;
  $(`${prefix}-report-type`).textContent = report.kType;
  $(`${prefix}-report-key`).textContent = found ? core().keyName(report.keyCode, notation) : report.error;
  $(`${prefix}-report-probability`).textContent = report.haStr;
  $(`${prefix}-report-keys`).textContent = report.keyList.join(', ');
  $(`${prefix}-report-timeline`).textContent = report.keyPoint.join(', ');
  $(`${prefix}-report`).hidden = false;
}

export class PageView {
  // parts: the roll, the chord lane, the file table and the mute boxes.
  constructor(state, parts) {
    this.state = state;
    this.parts = parts;
    this.spoken = ''; // the position as last said to screen readers
  }

  // The position as the clock shows it and as the slider and the roll say it, never past the end.
  position(pos, length) {
    const at = Math.max(0, Math.min(pos, length));
    $('position-text').textContent = `${clockText(at)} / ${clockText(length)}`;
    const words = `${clockText(at)} of ${clockText(length)}`;
    if (words === this.spoken) return;
    this.spoken = words;
    $('position').setAttribute('aria-valuetext', words);
    const roll = $('piano-roll');
    roll.setAttribute('aria-valuemax', String(Math.round(length)));
    roll.setAttribute('aria-valuenow', String(Math.round(at)));
    roll.setAttribute('aria-valuetext', words);
  }

  status() { $('page-status').textContent = this.state.status; }
  sound() { $('sound-status').textContent = this.state.play.soundStatus; }
  dropZone() { $('drop-zone').classList.toggle('dragging', this.state.dragging); }
  table() { this.parts.table.render(this.state); }
  row() { this.parts.table.renderRow(this.state, this.state.analysed); }
  marks() { this.parts.table.markAll(this.state); }
  cleared() { clearResults(); }

  // The page before any file.
  empty() {
    clearResults();
    this.canvases();
    drawKeyMap($('live-map'), null, 0);
  }

  // The entry shown: its results, the tracks offered, its mix, roll and chords.
  chosen() {
    const { state } = this, entry = current(state);
    showResults(entry, state.notation);
    const track = String(state.choices.track);
    $('track').replaceChildren(...state.tracks.map(([v, text]) => new Option(text, v, false, v === track)));
    this.parts.mutes.show(entry.result?.channels, state.muted);
    this.parts.roll.setRoll(entry.result?.roll ?? null, state.view);
    this.parts.lane.setChords(entry.result?.chords ?? null, entry.result?.roll?.endMs ?? 0, state.view);
    this.zoomButtons();
    this.idlePosition();
    this.transport();
  }

  results() {
    const entry = current(this.state);
    if (entry) showResults(entry, this.state.notation);
  }

  // The roll and the lane at the zoom chosen.
  zoomed() {
    this.parts.roll.setView(this.state.view);
    this.parts.lane.setView(this.state.view);
    this.zoomButtons();
  }

  zoomButtons() {
    const { state } = this, endMs = current(state)?.result?.roll?.endMs ?? 0, view = state.view;
    $('zoom-in').disabled = endMs <= 0 || (view !== null && view.spanMs <= Math.min(MinSpanMs, endMs));
    $('zoom-out').disabled = view === null;
    $('zoom-whole').disabled = view === null;
    const { startMs, spanMs } = view ?? { startMs: 0, spanMs: endMs };
    $('zoom-text').textContent = endMs > 0 ? `Showing ${clockText(startMs)} to ${clockText(startMs + spanMs)} of ${clockText(endMs)}` : '';
  }

  canvases() {
    this.parts.roll.render();
    this.parts.lane.render();
  }

  transport() {
    const { play } = this.state;
    $('play-button').disabled = !playable(current(this.state));
    $('stop-button').disabled = !play.playing;
    $('pause-button').disabled = !play.playing;
    $('pause-button').setAttribute('aria-pressed', String(play.paused));
    $('pause-button').textContent = play.paused ? 'Go on' : 'Pause';
    $('position').disabled = !play.playing;
    $('piano-roll').setAttribute('aria-disabled', String(!play.playing));
    $('play-button').textContent = play.playing ? 'Play from the start' : 'Play';
  }

  tempo() { $('tempo-text').textContent = `${this.state.choices.tempo} %`; }
  length() { $('position').max = String(this.state.play.lengthMs); }

  // Before a play: the shown file's length at the tempo chosen.
  idlePosition() {
    const entry = current(this.state);
    if (!this.state.play.playing && entry) this.position(0, fileLength(this.state, entry));
  }

  frame() {
    const { state } = this, { pos, live } = state.play;
    $('position').value = String(Math.round(pos));
    this.position(pos, state.play.lengthMs);
    showLive(live, 'live', state.play.playing, state.notation);
    this.parts.roll.drawPosition(pos);
    $('live-chord').textContent = live.chord.text;
    this.parts.lane.drawPosition(pos, current(state) === state.play.entry ? live.chord.index : -1);
  }

  liveMap() { drawKeyMap($('live-map'), this.state.play.map, this.state.notation, this.state.play.mapAt / 1000); }
  playReport() { showReport('play', this.state.play.report, this.state.notation); }

  listenButtons() {
    $('listen-button').disabled = this.state.listen.listening;
    $('listen-stop').disabled = !this.state.listen.listening;
  }

  listenStatus() { $('listen-status').textContent = this.state.listen.status; }
  listenLive() { showLive(this.state.listen.live, 'listen', this.state.listen.listening, this.state.notation); }
  listenReport() { showReport('listen', this.state.listen.report, this.state.notation); }

  // The MIDI inputs offered, the one chosen kept.
  inputs() {
    const { inputs, inputId } = this.state.listen, select = $('midi-input');
    select.replaceChildren(...(inputs.length ? inputs : [null]).map((input) => {
      const o = document.createElement('option');
      o.value = input ? input.id : '';
      o.textContent = input ? input.name || input.id : 'No input';
      return o;
    }));
    if (inputs.some((i) => i.id === inputId)) select.value = inputId;
    select.disabled = inputs.length === 0;
  }
}
