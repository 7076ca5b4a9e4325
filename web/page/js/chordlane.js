// The chord lane under the piano roll: each chord's symbol where it sounds, on the roll's time
// axis and zoom, as many names as fit (lanelabels.js) with their numerals under them; every
// chord's name on hover, and by keyboard: the lane takes focus, the arrows, Home and End move
// between chords, the chord focused is outlined and said in a live region. During a play the
// chord of the moment is marked, on the lane and in the list that says the same in words.
import { fitCanvas } from './keymap.js';
import { cssVar } from './colours.js';
import { chordAt, pickLabels } from './lanelabels.js';
import { msOf, wholeView, xOf as viewX } from './timeview.js';
import { wireZoom } from './zoominput.js';

const Height = 40, SymbolY = 13, NumeralY = 31;
const SymbolFont = '12px system-ui, sans-serif', NumeralFont = '11px system-ui, sans-serif';
const Stride = 8; // tick, endTick, startMs, endMs, root, quality, bass, keyCode

// What hover, focus and a screen reader say of chord i.
export function chordWords(c, i) {
  const confidence = c.confidence ? `, confidence ${Math.round(c.confidence[i] * 100)} %` : '';
  return `${c.inKey[i]}, ${c.places[i]}${confidence}`;
}

export class ChordLane {
  // parts: {canvas, list, count, tip, said}; onSeek(ms), onZoom(request) as the roll's.
  constructor({ canvas, list, count, tip, said }, onSeek, onZoom) {
    Object.assign(this, { canvas, list, count, tip, said, onZoom });
    this.chords = null;
    this.endMs = 0;
    this.view = null; // null: the whole piece
    this.image = null;
    this.position = null;
    this.current = -1;
    this.focused = -1;
    this.extents = [];
    canvas.addEventListener('click', (e) => {
      if (this.chords) onSeek(this.msAt(e.clientX));
    });
    canvas.addEventListener('mousemove', (e) => this.hover(e.clientX));
    canvas.addEventListener('mouseleave', () => this.showTip(this.hasFocus() ? this.focused : -1));
    canvas.addEventListener('focus', () => this.focusChord(this.focused >= 0 ? this.focused : this.firstShown()));
    canvas.addEventListener('blur', () => { this.showTip(-1); this.drawPosition(this.position, this.current); });
    canvas.addEventListener('keydown', (e) => this.key(e, onSeek));
    // The keys zoom about the chord focused.
    wireZoom(canvas, (x) => this.msAt(x), (r) => onZoom(r.factor && r.anchorMs === undefined && this.focused >= 0
      ? { ...r, anchorMs: this.span(this.focused)[0] } : r));
  }

  // The analysis' chords (analyse's "chords") on the roll's axis, which ends at endMs.
  setChords(chords, endMs, view = null) {
    this.chords = chords && endMs > 0 && chords.symbols.length > 0 ? chords : null;
    this.endMs = endMs;
    this.view = view;
    this.position = null;
    this.current = -1;
    this.focused = -1;
    this.said.textContent = '';
    this.showTip(-1);
    const n = this.chords?.symbols.length ?? 0;
    this.count.textContent = n ? `(${n})` : '';
    this.list.replaceChildren(...Array.from({ length: n }, (_, i) => {
      const li = document.createElement('li');
      li.textContent = `${this.chords.places[i]}: ${this.chords.inKey[i]}`;
      return li;
    }));
    this.render();
  }

  setView(view) {
    this.view = view;
    this.render();
  }

  shown() { return this.view ?? wholeView(this.endMs); }
  hasFocus() { return document.activeElement === this.canvas; }
  span(i) { return [this.chords.segments[i * Stride + 2], this.chords.segments[i * Stride + 3]]; }

  msAt(clientX) {
    const r = this.canvas.getBoundingClientRect();
    return msOf(this.shown(), r.width, clientX - r.left);
  }

  // The first chord that ends inside the view.
  firstShown() {
    const start = this.shown().startMs, n = this.chords?.symbols.length ?? 0;
    for (let i = 0; i < n; ++i) if (this.span(i)[1] > start) return i;
    return n - 1;
  }

  // Draws the chords once into an image; each frame only copies it and marks the play.
  render() {
    const { ctx, width, height } = fitCanvas(this.canvas, Height);
    ctx.clearRect(0, 0, width, height);
    ctx.textBaseline = 'middle';
    ctx.font = SymbolFont;
    const c = this.chords;
    if (!c) {
      ctx.fillStyle = cssVar('--muted');
      ctx.fillText('No chords to show', 8, height / 2);
      this.image = null;
      this.extents = [];
      this.canvas.dataset.names = '';
      return;
    }
    const view = this.shown();
    this.extents = c.symbols.map((_, i) => {
      const [from, to] = this.span(i);
      return { x0: viewX(view, width, from), x1: viewX(view, width, to) };
    });
    this.drawStretches(ctx, width, height);
    this.drawNames(ctx, width);
    this.image = ctx.getImageData(0, 0, this.canvas.width, this.canvas.height);
    this.drawPosition(this.position, this.current);
  }

  drawStretches(ctx, width, height) {
    const s = this.chords.segments, muted = cssVar('--muted');
    this.extents.forEach(({ x0, x1 }, i) => {
      if (x1 < 0 || x0 > width) return;
      // Neighbours in two shades, so that a change shows even where no name fits.
      if (s[i * Stride + 4] >= 0) {
        ctx.fillStyle = cssVar('--bar');
        ctx.globalAlpha = i % 2 ? 0.45 : 0.25;
        ctx.fillRect(x0, 0, x1 - x0, height);
        ctx.globalAlpha = 1;
      }
      // Where chords crowd, the shades alone show the changes; lines there would be a comb.
      ctx.fillStyle = muted;
      if (x1 - x0 >= 4) ctx.fillRect(x0, 0, 1, height);
    });
  }

  drawNames(ctx, width) {
    const c = this.chords, s = c.segments, fg = cssVar('--fg'), muted = cssVar('--muted');
    const shortOf = (i) => c.shortSymbols?.[i] ?? c.symbols[i], romanOf = (i) => c.romans?.[i] ?? '';
    ctx.font = NumeralFont;
    const numeralWidths = c.symbols.map((_, i) => (romanOf(i) ? ctx.measureText(romanOf(i)).width : 0));
    ctx.font = SymbolFont;
    const input = this.extents.map((e, i) => ({ ...e, full: ctx.measureText(c.symbols[i]).width,
      short: ctx.measureText(shortOf(i)).width, numeral: numeralWidths[i] }));
    // Only the chords on screen compete for its room.
    const onScreen = input.map((e, i) => i).filter((i) => input[i].x1 > 0 && input[i].x0 < width);
    const picked = pickLabels(onScreen.map((i) => input[i]), width);
    ctx.textAlign = 'center';
    onScreen.forEach((i, k) => {
      const p = picked[k];
      if (!p.symbol) return;
      ctx.font = SymbolFont;
      ctx.fillStyle = s[i * Stride + 4] < 0 ? muted : fg;
      ctx.fillText(p.symbol === 'full' ? c.symbols[i] : shortOf(i), p.centre, SymbolY);
      if (!p.numeral) return;
      ctx.font = NumeralFont;
      ctx.fillStyle = muted;
      ctx.fillText(romanOf(i), p.numeralCentre, NumeralY);
    });
    // The names drawn, for what reads the page without seeing it draw.
    this.canvas.dataset.names = onScreen.flatMap((i, k) => (picked[k].symbol
      ? [picked[k].symbol === 'full' ? c.symbols[i] : shortOf(i)] : [])).join('|');
  }

  hover(clientX) {
    if (!this.chords) return;
    const r = this.canvas.getBoundingClientRect(), x = clientX - r.left;
    const i = chordAt(this.extents, x);
    this.showTip(i >= 0 && x >= this.extents[i].x0 && x < this.extents[i].x1 ? i : -1);
  }

  // The tip over chord i, or none (-1).
  showTip(i) {
    if (i < 0 || !this.chords) {
      this.tip.hidden = true;
      return;
    }
    this.tip.textContent = chordWords(this.chords, i);
    this.tip.hidden = false;
    const { x0, x1 } = this.extents[i] ?? { x0: 0, x1: 0 };
    const box = this.canvas.clientWidth, w = this.tip.offsetWidth;
    this.tip.style.left = `${Math.max(0, Math.min(box - w, (x0 + x1) / 2 - w / 2)) + this.canvas.offsetLeft}px`;
    this.tip.style.top = `${this.canvas.offsetTop + Height + 4}px`;
  }

  key(e, onSeek) {
    if (!this.chords) return;
    const n = this.chords.symbols.length, i = this.focused;
    const to = { ArrowRight: i + 1, ArrowLeft: i - 1, Home: 0, End: n - 1 }[e.key];
    if (e.key === 'Enter' && i >= 0) {
      onSeek(this.span(i)[0]);
      return;
    }
    if (to === undefined) return;
    e.preventDefault();
    this.focusChord(Math.max(0, Math.min(n - 1, to)));
  }

  // Chord i outlined, said and brought into view.
  focusChord(i) {
    if (!this.chords || i < 0) return;
    this.focused = i;
    const words = chordWords(this.chords, i);
    this.said.textContent = `Chord ${i + 1} of ${this.chords.symbols.length}: ${words}`;
    const [from, to] = this.span(i), view = this.shown();
    if (from < view.startMs || to > view.startMs + view.spanMs) this.onZoom({ showMs: from });
    this.drawPosition(this.position, this.current);
    this.showTip(i);
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
    const width = this.canvas.clientWidth, xOf = (t) => viewX(this.shown(), width, t);
    if (this.focused >= 0 && this.hasFocus()) {
      const [from, to] = this.span(this.focused);
      ctx.strokeStyle = cssVar('--focus');
      ctx.lineWidth = 2;
      ctx.strokeRect(xOf(from) + 1, 1, Math.max(2, xOf(to) - xOf(from) - 2), Height - 2);
    }
    if (ms === null) return;
    ctx.fillStyle = cssVar('--accent');
    if (index >= 0 && index * Stride < this.chords.segments.length) {
      const [from, to] = this.span(index), x0 = xOf(from), x1 = xOf(to);
      ctx.globalAlpha = 0.3;
      ctx.fillRect(x0, 0, x1 - x0, Height);
      ctx.globalAlpha = 1;
      ctx.fillRect(x0, Height - 3, x1 - x0, 3);
    }
    const x = xOf(ms);
    if (x >= 0 && x <= width) ctx.fillRect(Math.min(width - 2, x), 0, 2, Height);
  }
}
