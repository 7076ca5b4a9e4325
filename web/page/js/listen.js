// "3- Listen": the notes of a MIDI keyboard through Web MIDI, fed to the library's live feed
// and the profile tracker, timed by listening's own clock from the page's. Whether it listens
// is the page's state (state.listen), which only the page's actions change through these methods.
import { clock } from './clock.js';

// Why Web MIDI gave no access, in words: the browser's own messages ("Platform dependent
// initialization failed") say nothing to a player.
export function whyNoMidi(e) {
  if (e?.name === 'NotAllowedError' || e?.name === 'SecurityError')
    return 'the browser was not allowed to use MIDI devices (allow it for this page, which must be served over HTTPS or from localhost).';
  if (e?.name === 'NotSupportedError' || e?.name === 'InvalidStateError')
    return 'this computer offers the browser no MIDI system, so no keyboard can be reached (on Linux, the ALSA sequencer is missing).';
  return e?.message || String(e);
}

export class Listener {
  // listen: the page's state of listening; onFrame(liveState) after each note and tick;
  // onInputs(inputs) when the inputs connected change.
  constructor(live, listen, onFrame, onInputs) {
    this.live = live;
    this.listen = listen;
    this.onFrame = onFrame;
    this.onInputs = onInputs;
    this.access = null;
    this.input = null;
    this.origin = 0;
    this.timer = null;
    clock.follow(() => this.tick());
  }

  // The inputs connected; the first call asks the browser for MIDI access.
  async inputs() {
    if (!navigator.requestMIDIAccess) throw new Error('this browser offers no Web MIDI.');
    if (!this.access) {
      this.access = await navigator.requestMIDIAccess();
      this.access.onstatechange = () => this.onInputs(this.list());
    }
    return this.list();
  }

  list() {
    return [...this.access.inputs.values()];
  }

  // Listens to input; false when the library's clock would not start.
  start(input, moreSensitive) {
    if (!this.live.listen(moreSensitive)) return false;
    this.input = input;
    this.origin = clock.now();
    this.listen.listening = true;
    input.onmidimessage = (m) => this.message(m.data);
    if (!clock.manual) this.timer = setInterval(() => this.tick(), 100);
    return true;
  }

  message(data) {
    if (!this.listen.listening || data.length < 3) return;
    const kind = data[0] & 0xf0;
    if (kind !== 0x90 && kind !== 0x80) return;
    this.live.heard(data[0], data[1], data[2], clock.now() - this.origin);
    this.tick();
  }

  tick() {
    if (!this.listen.listening) return;
    this.live.advance(clock.now() - this.origin);
    this.onFrame(this.live.state());
  }

  // Returns whether it was listening.
  stop() {
    if (this.input) this.input.onmidimessage = null;
    this.input = null;
    clearInterval(this.timer);
    this.timer = null;
    const was = this.listen.listening;
    if (was) this.live.stop();
    this.listen.listening = false;
    return was;
  }
}
