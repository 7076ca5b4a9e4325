// The page's clock for plays and listening: the audio clock when sound plays, the page's
// own otherwise; tests switch it to a manual clock they move on themselves.
const followers = new Set();
let manual = false, manualMs = 0, audio = null;

export const clock = {
  now() {
    if (manual) return manualMs;
    return audio ? audio.now() : performance.now();
  },
  get manual() { return manual; },
  // The synthesizer's clock, once there is one: plays then follow what is heard.
  useAudio(source) { audio = source; },
  // Called on every move of a manual clock, and by the plays' own timers otherwise.
  follow(step) { followers.add(step); return () => followers.delete(step); },
};

// The hook tests drive the page with, instead of waiting on the wall clock.
window.tunedeckHooks = Object.assign(window.tunedeckHooks ?? {}, {
  useManualClock() { manual = true; manualMs = 0; },
  advance(ms) {
    const end = manualMs + ms;
    // In steps of at most 50 ms, as a running page's timers would see it.
    while (manualMs < end) {
      manualMs = Math.min(end, manualMs + 50);
      for (const step of [...followers]) step();
    }
  },
});
