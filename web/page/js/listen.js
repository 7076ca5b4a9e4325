// "3- Listen": the notes of a MIDI keyboard through Web MIDI, fed to the library's live feed
// and the profile tracker, timed by listening's own clock from the page's.
import { clock } from './clock.js';

// Why Web MIDI gave no access, in words: the browser's own messages ("Platform dependent
// initialization failed") say nothing to a player.
function whyNoMidi(e) {
  if (e?.name === 'NotAllowedError' || e?.name === 'SecurityError')
    return 'the browser was not allowed to use MIDI devices (allow it for this page, which must be served over HTTPS or from localhost).';
  if (e?.name === 'NotSupportedError' || e?.name === 'InvalidStateError')
    return 'this computer offers the browser no MIDI system, so no keyboard can be reached (on Linux, the ALSA sequencer is missing).';
  return e?.message || String(e);
}

export class Listener {
  constructor(live, elements, show) {
    this.live = live;
    this.el = elements;
    this.show = show;
    this.access = null;
    this.input = null;
    this.origin = 0;
    this.timer = null;
    this.listening = false;
    clock.follow(() => this.tick());
    elements.button.addEventListener('click', () => this.start());
    elements.stop.addEventListener('click', () => this.stop());
  }

  async inputs() {
    if (!navigator.requestMIDIAccess) throw new Error('this browser offers no Web MIDI.');
    if (!this.access) {
      this.access = await navigator.requestMIDIAccess();
      this.access.onstatechange = () => this.listInputs();
    }
    this.listInputs();
    return [...this.access.inputs.values()];
  }

  listInputs() {
    const list = [...this.access.inputs.values()];
    const chosen = this.el.select.value;
    this.el.select.replaceChildren(...(list.length ? list : [null]).map((input) => {
      const o = document.createElement('option');
      o.value = input ? input.id : '';
      o.textContent = input ? input.name || input.id : 'No input';
      return o;
    }));
    if (list.some((i) => i.id === chosen)) this.el.select.value = chosen;
    this.el.select.disabled = list.length === 0;
  }

  async start() {
    let inputs;
    try {
      inputs = await this.inputs();
    } catch (e) {
      this.el.status.textContent = `Cannot listen: ${whyNoMidi(e)}`;
      return;
    }
    const input = inputs.find((i) => i.id === this.el.select.value) ?? inputs[0];
    if (!input) {
      this.el.status.textContent = 'No MIDI input is connected.';
      return;
    }
    this.stop();
    this.onStart?.();
    if (!this.live.listen(this.el.moreSensitive())) {
      this.el.status.textContent = 'The library\'s clock would not start.';
      return;
    }
    this.input = input;
    this.origin = clock.now();
    this.listening = true;
    input.onmidimessage = (m) => this.message(m.data);
    if (!clock.manual) this.timer = setInterval(() => this.tick(), 100);
    this.el.status.textContent = `Listening to ${input.name || input.id}.`;
    this.el.button.disabled = true;
    this.el.stop.disabled = false;
    this.tick();
  }

  message(data) {
    if (!this.listening || data.length < 3) return;
    const kind = data[0] & 0xf0;
    if (kind !== 0x90 && kind !== 0x80) return;
    this.live.heard(data[0], data[1], data[2], clock.now() - this.origin);
    this.tick();
  }

  tick() {
    if (!this.listening) return;
    this.live.advance(clock.now() - this.origin);
    const state = this.live.state();
    this.show(state);
    if (!state.running) {
      this.stop();
      this.el.status.textContent = 'The library refused a note: listening stopped.';
    }
  }

  stop() {
    if (this.input) this.input.onmidimessage = null;
    this.input = null;
    clearInterval(this.timer);
    this.timer = null;
    const was = this.listening;
    if (was) this.live.stop();
    this.listening = false;
    this.el.button.disabled = false;
    this.el.stop.disabled = true;
    if (was) {
      // The key heard stays shown, with the library's report.
      this.show(this.live.state());
      this.onStop?.();
    }
  }
}
