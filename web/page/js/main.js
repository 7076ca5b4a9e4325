// The page: files in, the core's results out; the play and listening around one engine. Its
// state is one object (state.js) that only named actions change (actions.js, flows.js), run by
// one dispatcher (page.js) that the controls' listeners call (controls.js) and that draws what
// each action changed (view.js).
import { core, loadCore } from './core.js';
import { fillChoices, readControls, readNotation, wireControls } from './controls.js';
import { createPage } from './page.js';

const showStatus = (text) => { document.getElementById('page-status').textContent = text; };

async function main() {
  showStatus('Loading…');
  await loadCore();
  fillChoices(core().choices());
  const { dispatch } = createPage(readControls(), readNotation());
  wireControls(dispatch);
  dispatch('ready');
  // For benchmarks: the core's own calls, timed without the page around them.
  window.tunedeckHooks.core = core();
  document.body.dataset.ready = 'true';
}

main().catch((e) => showStatus(`The page could not start: ${e.message || e}`));
