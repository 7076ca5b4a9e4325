// The chord lane under the piano roll: each chord's symbol where it sounds, on the roll's time
// axis, named where it fits; during a play the chord of the moment is marked, on the lane and
// in the list that says the same in words.
import { fitCanvas } from './keymap.js';
import { cssVar } from './colours.js';

const Height = 28;
const Stride = 8; // tick, endTick, startMs, endMs, root, quality, bass, keyCode

export class ChordLane {
  constructor(canvas, list, count, onSeek) {
    this.canvas = canvas;
    this.list = list;
    this.count = count;
    this.chords = null;
    this.endMs = 0;
    this.image = null;
    this.position = null;
    this.current = -1;
    canvas.addEventListener('click', (e) => {
      if (!this.chords || this.endMs <= 0) return;
      const r = canvas.getBoundingClientRect();
      onSeek(((e.clientX - r.left) / r.width) * this.endMs);
    });
  }

  // The analysis' chords (analyse's "chords") on the roll's axis, which ends at endMs.
  setChords(chords, endMs) {
    this.chords = chords && endMs > 0 && chords.symbols.length > 0 ? chords : null;
    this.endMs = endMs;
    this.position = null;
    this.current = -1;
    const n = this.chords?.symbols.length ?? 0;
    this.count.textContent = n ? `(${n})` : '';
    this.list.replaceChildren(...Array.from({ length: n }, (_, i) => {
      const li = document.createElement('li');
      li.textContent = `${this.chords.places[i]}: ${this.chords.inKey[i]}`;
      return li;
    }));
    this.render();
  }

  // Draws the chords once into an image; each frame only copies it and marks the play.
  render() {
    const { ctx, width, height } = fitCanvas(this.canvas, Height);
    ctx.clearRect(0, 0, width, height);
    ctx.font = '12px system-ui, sans-serif';
    ctx.textBaseline = 'middle';
    const fg = cssVar('--fg'), muted = cssVar('--muted');
    const c = this.chords;
    if (!c) {
      ctx.fillStyle = muted;
      ctx.fillText('No chords to show', 8, height / 2);
      this.image = null;
      return;
    }
    const xOf = (ms) => Math.min(width, (ms / this.endMs) * width);
    const s = c.segments;
    ctx.fillStyle = cssVar('--bar');
    for (let i = 0; i * Stride < s.length; ++i) {
      // Neighbours in two shades, so that a change shows even where no name fits.
      if (s[i * Stride + 4] < 0) continue;
      ctx.globalAlpha = i % 2 ? 0.45 : 0.25;
      ctx.fillRect(xOf(s[i * Stride + 2]), 0, xOf(s[i * Stride + 3]) - xOf(s[i * Stride + 2]), height);
    }
    ctx.globalAlpha = 1;
    ctx.textAlign = 'center';
    for (let i = 0; i * Stride < s.length; ++i) {
      const x0 = xOf(s[i * Stride + 2]), x1 = xOf(s[i * Stride + 3]);
      // Where chords crowd, the shades alone show the changes; lines there would be a comb.
      ctx.fillStyle = muted;
      if (x1 - x0 >= 4) ctx.fillRect(x0, 0, 1, height);
      const label = c.symbols[i];
      if (ctx.measureText(label).width + 5 <= x1 - x0) {
        ctx.fillStyle = s[i * Stride + 4] < 0 ? muted : fg;
        ctx.fillText(label, (x0 + 1 + x1) / 2, height / 2);
      }
    }
    this.image = ctx.getImageData(0, 0, this.canvas.width, this.canvas.height);
    this.drawPosition(this.position, this.current);
  }

  // The play at ms, in the chord at index (-1: none); null ms for no play.
  drawPosition(ms, index = -1) {
    this.position = ms;
    if (index !== this.current) {
      this.list.children[this.current]?.removeAttribute('aria-current');
      this.list.children[index]?.setAttribute('aria-current', 'true');
      this.current = index;
    }
    if (!this.image) return;
    const ctx = this.canvas.getContext('2d');
    ctx.putImageData(this.image, 0, 0);
    if (ms === null) return;
    const width = this.canvas.clientWidth, s = this.chords.segments;
    const xOf = (t) => Math.min(width, (t / this.endMs) * width);
    ctx.fillStyle = cssVar('--accent');
    if (index >= 0 && index * Stride < s.length) {
      const x0 = xOf(s[index * Stride + 2]), x1 = xOf(s[index * Stride + 3]);
      ctx.globalAlpha = 0.3;
      ctx.fillRect(x0, 0, x1 - x0, Height);
      ctx.globalAlpha = 1;
      ctx.fillRect(x0, Height - 3, x1 - x0, 3);
    }
    ctx.fillRect(Math.min(width - 2, xOf(ms)), 0, 2, Height);
  }
}
