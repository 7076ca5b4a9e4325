// The page assembled: its state, the engine's live session with the player and the listener
// on it, the view; and the one way the state changes, dispatch(name, payload), which runs the
// action named (actions.js, or one that waits, flows.js) and then draws what it marked changed.
import { actions } from './actions.js';
import { ChordLane } from './chordlane.js';
import { core } from './core.js';
import { FileTable } from './files.js';
import { flows } from './flows.js';
import { Listener } from './listen.js';
import { MuteBoxes } from './mix.js';
import { PianoRoll } from './pianoroll.js';
import { Player } from './player.js';
import { pageState } from './state.js';
import { PageView } from './view.js';

const $ = (id) => document.getElementById(id);

// choices and notation: the controls' values to start from.
export function createPage(choices, notation) {
  const state = pageState(choices, notation);
  const pending = new Set();
  let view = null;
  const flush = () => {
    const names = [...pending];
    pending.clear();
    for (const name of names) view[name]();
  };
  const page = {
    state,
    keyMap: $('key-map'),
    // The parts of the page an action changed, drawn once it is done.
    changed: (...names) => names.forEach((name) => pending.add(name)),
    dispatch(name, payload) {
      // What an action under way changed is drawn before one it sets off (a play's frame) runs.
      flush();
      const done = (actions[name] ?? flows[name])(page, payload);
      flush();
      return done;
    },
  };
  const dispatch = page.dispatch;
  const seek = (ms) => dispatch('seek', ms);
  const zoom = (request) => dispatch('zoom', request);
  page.live = new (core().Live)();
  page.player = new Player(page.live, state.play, (pos, live) => dispatch('frame', { pos, live }), (live) => dispatch('ended', live));
  page.listener = new Listener(page.live, state.listen, (live) => dispatch('listenFrame', live), (inputs) => dispatch('inputs', inputs));
  view = new PageView(state, {
    roll: new PianoRoll($('piano-roll'), seek, zoom),
    lane: new ChordLane({ canvas: $('chord-lane'), list: $('chord-list'), count: $('chord-count'), tip: $('chord-tip'),
      said: $('chord-said') }, seek, zoom),
    table: new FileTable($('file-list'), (index) => dispatch('choose', index)),
    mutes: new MuteBoxes($('channels'), (channel, on) => dispatch('choices', { mute: { channel, on }, mixed: true })),
  });
  return page;
}
