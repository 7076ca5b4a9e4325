// A play of the chosen file: the core composes the play list and feeds the library and the
// live tracker; this sends the list's events to the synthesizer as the clock reaches them.
// Whether it plays, is paused and how long it lasts are the page's state (state.play), which
// only the page's actions change through these methods.
import { clock } from './clock.js';

const EndMs = 1500; // the play ends this long after its last event, as the desktop's does

export class Player {
  // play: the page's state of the play; onFrame(pos, liveState) as the play moves;
  // onEnd(liveState) when it ends or the library refuses a note, for the page to stop it.
  constructor(live, play, onFrame, onEnd) {
    this.live = live;
    this.play = play;
    this.onFrame = onFrame;
    this.onEnd = onEnd;
    this.synth = null;
    this.events = null;
    this.startPos = 0;
    this.origin = 0;
    this.next = 0;
    this.timer = null;
    this.unfollow = clock.follow(() => this.step());
  }

  setSynth(synth) { this.synth = synth; }

  // The play list of the file at the choices: {ok}, or {ok: false, why} when it cannot play.
  compose(bytes, choices) {
    const list = this.live.compose(bytes, choices);
    this.events = list.ok ? list.events : null;
    this.play.lengthMs = list.ok ? list.lengthMs : 0;
    this.play.playing = false;
    return list;
  }

  position() {
    return this.play.playing && !this.play.paused ? this.startPos + (clock.now() - this.origin) : this.startPos;
  }

  start() {
    if (!this.events || !this.live.start()) return false;
    this.synth?.reset();
    this.play.playing = true;
    this.play.paused = false;
    this.startPos = 0;
    this.origin = clock.now();
    this.next = 0;
    this.runTimer();
    this.step();
    return true;
  }

  runTimer() {
    clearInterval(this.timer);
    this.timer = clock.manual ? null : setInterval(() => this.step(), 10);
  }

  // Sends what is due, feeds the analysed notes to the core, moves the clock on.
  step() {
    if (!this.play.playing || this.play.paused) return;
    const pos = this.position();
    const e = this.events;
    for (; this.next * 5 < e.length && e[this.next * 5] <= pos; ++this.next) {
      const i = this.next * 5;
      this.synth?.send(e[i + 1], e[i + 2], e[i + 3]);
      if (e[i + 4] > 0) this.live.played(e[i + 4], e[i]);
    }
    this.live.advance(pos);
    const state = this.live.state();
    if (state.refused || pos >= this.play.lengthMs + EndMs) {
      this.onEnd(state);
      return;
    }
    this.onFrame(pos, state);
  }

  // To ms: the library and the tracker rebuilt from the notes before it; the synthesizer
  // silenced and given the controllers and programs set before it.
  seek(ms) {
    if (!this.events || !this.play.playing) return;
    ms = Math.max(0, Math.min(ms, this.play.lengthMs));
    const going = this.play.playing && !this.play.paused;
    this.live.seek(ms, going);
    const e = this.events;
    let next = 0;
    while (next * 5 < e.length && e[next * 5] < ms) next++;
    if (this.synth) {
      this.synth.allOff();
      for (let i = 0; i < next * 5; i += 5) {
        const kind = e[i + 1] & 0xf0;
        if (kind === 0xb0 || kind === 0xc0 || kind === 0xe0) this.synth.send(e[i + 1], e[i + 2], e[i + 3]);
      }
    }
    this.next = next;
    this.startPos = ms;
    this.origin = clock.now();
    this.onFrame(ms, this.live.state());
  }

  pause() {
    if (!this.play.playing || this.play.paused) return;
    this.startPos = this.position();
    this.play.paused = true;
    this.live.pause();
    this.synth?.allOff();
    clearInterval(this.timer);
  }

  // Going on is a seek to where the play stood, as on the desktop.
  resume() {
    if (!this.play.playing || !this.play.paused) return;
    this.play.paused = false;
    this.seek(this.startPos);
    this.runTimer();
  }

  stop() {
    clearInterval(this.timer);
    this.timer = null;
    this.play.playing = false;
    this.play.paused = false;
    this.live.stop();
    this.synth?.allOff();
  }
}
