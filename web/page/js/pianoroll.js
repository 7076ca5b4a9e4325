// The piano roll of the chosen tracks over the whole piece, each stretch tinted by its local
// key, and the play's position on it; a click or the arrow keys seek. It shows the stretch the
// zoom chose (timeview.js), as the chord lane under it does.
import { fitCanvas } from './keymap.js';
import { cssVar, keyFill } from './colours.js';
import { msOf, wholeView, xOf as viewX } from './timeview.js';
import { wireZoom } from './zoominput.js';

const Height = 260;

export class PianoRoll {
  constructor(canvas, onSeek, onZoom) {
    this.canvas = canvas;
    this.roll = null;
    this.view = null; // null: the whole piece
    this.image = null;
    this.position = null;
    canvas.tabIndex = 0;
    canvas.addEventListener('click', (e) => {
      if (!this.roll) return;
      onSeek(this.msAt(e.clientX));
    });
    wireZoom(canvas, (x) => this.msAt(x), onZoom);
    canvas.addEventListener('keydown', (e) => {
      if (!this.roll || this.position === null) return;
      const step = e.key === 'ArrowRight' ? 5000 : e.key === 'ArrowLeft' ? -5000 : 0;
      if (step) { e.preventDefault(); onSeek(Math.max(0, this.position + step)); }
    });
  }

  setRoll(roll, view = null) {
    this.roll = roll;
    this.view = view;
    this.render();
  }

  setView(view) {
    this.view = view;
    this.render();
  }

  shown() { return this.view ?? wholeView(this.roll?.endMs ?? 0); }

  msAt(clientX) {
    const r = this.canvas.getBoundingClientRect();
    return msOf(this.shown(), r.width, clientX - r.left);
  }

  // Draws the notes once into an image; each frame only copies it and adds the position.
  render() {
    const { ctx, width, height } = fitCanvas(this.canvas, Height);
    ctx.clearRect(0, 0, width, height);
    const roll = this.roll;
    if (!roll || roll.endMs <= 0) {
      ctx.fillStyle = cssVar('--muted');
      ctx.font = '12px system-ui, sans-serif';
      ctx.fillText('No notes to show', 8, 20);
      this.image = null;
      return;
    }
    const view = this.shown(), end = view.startMs + view.spanMs;
    const xOf = (ms) => viewX(view, width, ms);
    const k = roll.keys;
    for (let i = 0; i + 3 < k.length; i += 4) {
      const fill = keyFill(k[i + 2]);
      if (!fill) continue;
      ctx.globalAlpha = k[i + 3] ? 0.25 : 0.45;
      ctx.fillStyle = fill.base;
      ctx.fillRect(xOf(k[i]), 0, Math.max(1, xOf(k[i + 1]) - xOf(k[i])), height);
    }
    ctx.globalAlpha = 1;
    const low = roll.lowPitch, span = roll.highPitch - low + 1;
    const noteH = Math.max(1, height / span);
    ctx.fillStyle = cssVar('--fg');
    const n = roll.notes;
    for (let i = 0; i + 3 < n.length; i += 4) {
      if (n[i + 1] < view.startMs || n[i] > end) continue;
      const y = height - (n[i + 2] - low + 1) * noteH;
      ctx.fillRect(xOf(n[i]), y, Math.max(1, xOf(n[i + 1]) - xOf(n[i])), Math.max(1, noteH - 1));
    }
    this.image = ctx.getImageData(0, 0, this.canvas.width, this.canvas.height);
    this.drawPosition(this.position);
  }

  drawPosition(ms) {
    this.position = ms;
    if (!this.image || !this.roll) return;
    const ctx = this.canvas.getContext('2d');
    ctx.putImageData(this.image, 0, 0);
    if (ms === null) return;
    const width = this.canvas.clientWidth;
    const x = viewX(this.shown(), width, ms);
    if (x < 0 || x > width) return;
    ctx.fillStyle = cssVar('--accent');
    ctx.fillRect(Math.min(width - 2, x), 0, 2, Height);
  }
}
