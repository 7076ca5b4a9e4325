// The page's state in one object, which only the actions (actions.js) change: the files read
// and the one shown, the choices, the mix, the play and listening. The view (view.js) draws
// from it; the player and the listener keep only their clocks and the engine's feed.
import { core } from './core.js';
import { mixNote, usedChannels } from './mix.js';

// choices: the controls' values (readControls); notation: the key names chosen.
export function pageState(choices, notation) {
  return {
    entries: [], // the files read, each {name, bytes, result, choices, ms}; result null until analysed
    chosen: 0, // the entry shown
    analysed: -1, // the entry analysed last, whose row is drawn
    generation: 0, // each read or analysis takes the next; an older one then stops
    choices, // track, moreSensitive, meter, bars, keys, splitFormat0, unfoldRepeats, transpose, tempo
    notation, // only how keys are named
    muted: 0, // the mix: channels muted by number, kept across files
    tracks: [['all', 'All']], // the tracks offered for the entry shown, [value, text]
    status: '', // the page's status line
    dragging: false, // files held over the page
    view: null, // the stretch the roll and the chord lane show, {startMs, spanMs}; null: the whole piece
    play: {
      entry: null, // the entry the play plays, whose chords the play looks up
      ready: false, // a play list was made and waits for its start
      playing: false,
      paused: false,
      lengthMs: 0,
      pos: 0, // the position of the last frame, and the library's live state there
      live: null,
      map: null, // the live key map, fetched every half second of play, at mapAt
      mapAt: 0,
      report: null, // the library's report when the play ended; null hides it
      soundStatus: '',
    },
    listen: {
      listening: false,
      inputs: [], // the MIDI inputs offered, and the one chosen by id
      inputId: '',
      live: null,
      report: null,
      status: '',
    },
  };
}

export const current = (state) => state.entries[state.chosen] ?? null;

// The choices an analysis, a play list or a report takes.
export function analysisChoices(state) {
  return { ...state.choices, muted: state.muted, notation: state.notation };
}

// A file's length before a play: its roll's end, at the tempo chosen now.
export function fileLength(state, entry) {
  const r = entry?.result;
  return r?.roll ? Math.round(r.roll.endMs * (entry.choices?.tempo ?? 100) / state.choices.tempo) : 0;
}

// The tracks offered for an entry. Track 1 is the tempo track: "Track 01" is the file's second,
// at the list's first place.
export function trackOptions(entry) {
  const count = entry?.result?.trackCount ?? 0;
  const options = [['all', 'All']];
  const { tracks, trackOne } = core().choices();
  for (let t = 0; t < Math.max(0, count - 1) && t < tracks; ++t) {
    options.push([String(t + trackOne), `Track ${String(t + 1).padStart(2, '0')}`]);
  }
  return options;
}

// The files read and those refused, once analysed.
export function fileCounts(entries) {
  const refused = entries.filter((e) => e.result && e.result.refusal !== null).length;
  return { read: entries.length - refused, refused };
}

// What the mix kept leaves out of the files read, for the status line.
export function mixStatus(state) {
  const used = state.entries.reduce((bits, e) => bits | usedChannels(e.result), 0);
  const note = mixNote(used, state.muted, state.choices.transpose);
  return note ? ` ${note}.` : '';
}

// A file over the event buffer plays whole, as in the window.
export function playable(entry) {
  return !!entry?.result?.roll && (entry.result.succeeded || entry.result.outcome === 'out-of-buffer');
}
