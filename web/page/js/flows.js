// The page's actions that wait: reading files, analysing them again after a choice, a play's
// start (the synthesizer loads on the first) and listening (Web MIDI asks for access). Each is
// a sequence of the actions in actions.js, dispatched in turn; none changes the state itself.
import { clock } from './clock.js';
import { analysisChoices } from './state.js';
import { loadSynth } from './synth.js';

// The entries analysed in turn, the page drawn between files; a newer read or analysis stops
// this one.
async function analyseAll(page, choices) {
  const generation = page.state.generation;
  for (let index = 0; index < page.state.entries.length; ++index) {
    page.dispatch('analyse', { index, choices });
    await new Promise((resolve) => setTimeout(resolve, 0));
    if (generation !== page.state.generation) return;
  }
}

export const flows = {
  async read(page, files) {
    if (!files.length) return;
    const { state } = page;
    page.dispatch('readStarted', files.length);
    const generation = state.generation, choices = analysisChoices(state);
    for (const file of files) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      if (generation !== state.generation) return;
      page.dispatch('loaded', { name: file.name, bytes, result: null, choices: null, ms: 0 });
    }
    await analyseAll(page, choices);
    if (generation === state.generation) page.dispatch('readDone');
  },

  // change: {choices} or {mute: {channel, on}}, mixed when the status line is to say the mix.
  async choices(page, change) {
    page.dispatch('rechoose', change);
    await analyseAll(page, analysisChoices(page.state));
    if (change.mixed) page.dispatch('mixStated');
  },

  async play(page) {
    page.dispatch('compose');
    if (!page.state.play.ready) return;
    if (!page.player.synth) {
      page.dispatch('synthLoading');
      const sound = loadSynth().then((synth) => page.dispatch('synthLoaded', synth), (e) => page.dispatch('synthFailed', e));
      // A test's clock does not wait for sound.
      if (!clock.manual) await sound;
    }
    page.dispatch('start');
  },

  async listen(page) {
    let inputs;
    try {
      inputs = await page.listener.inputs();
    } catch (e) {
      page.dispatch('listenFailed', e);
      return;
    }
    page.dispatch('inputs', inputs);
    page.dispatch('listenTo');
  },
};
