// Which chord names the lane draws: from each chord's x-extent at the present zoom and its
// texts' measured widths, the names that fit without touching one another. A name sits
// centred on its chord; first every chord whose whole symbol (else the symbol without its
// bass) fits inside its own stretch, then, longest chords first, names that reach past a
// short chord into neighbours left unnamed. A numeral goes only under a symbol drawn.
// Pure, so that node tests it without a page.

// Space kept clear between two names, and between a name and its stretch's edges.
export const LabelGap = 2;
// A name reaches past its chord only by so much: at least this share of it sits over the chord.
const MinOwnShare = 0.5;

const overlaps = (a, b) => a.left < b.right + LabelGap && b.left < a.right + LabelGap;

function box(chord, textWidth, lo, hi) {
  const centre = Math.min(hi - textWidth / 2, Math.max(lo + textWidth / 2, (chord.x0 + chord.x1) / 2));
  return { left: centre - textWidth / 2, right: centre + textWidth / 2, centre };
}

// chords: [{x0, x1, full, short, numeral}] in time order, widths in pixels (short: the symbol
// without its bass, equal to full where it has none; numeral 0 where there is none).
// width: the lane's. Returns one {symbol: 'full' | 'short' | null, centre, numeral, numeralCentre} a chord.
export function pickLabels(chords, width) {
  const out = chords.map(() => ({ symbol: null, centre: 0, numeral: false, numeralCentre: 0 }));
  const placed = [];
  const take = (i, kind, b) => {
    out[i] = { symbol: kind, centre: b.centre, numeral: false, numeralCentre: 0 };
    placed.push({ ...b, index: i });
  };
  // Inside their own stretches names cannot meet.
  chords.forEach((c, i) => {
    const room = c.x1 - c.x0 - 2 * LabelGap;
    if (c.full <= room) take(i, 'full', box(c, c.full, 0, width));
    else if (c.short <= room) take(i, 'short', box(c, c.short, 0, width));
  });
  const rest = chords.map((c, i) => i).filter((i) => out[i].symbol === null)
    .sort((a, b) => (chords[b].x1 - chords[b].x0) - (chords[a].x1 - chords[a].x0) || a - b);
  for (const i of rest) {
    const c = chords[i], own = c.x1 - c.x0;
    for (const kind of ['full', 'short']) {
      const w = c[kind];
      if (own < w * MinOwnShare || w > width) continue;
      const b = box(c, w, 0, width);
      if (!placed.some((p) => overlaps(p, b))) { take(i, kind, b); break; }
    }
  }
  // Numerals on their own row, under their symbols, never wider than the symbol's room.
  const row = [];
  for (const p of [...placed].sort((a, b) => a.left - b.left)) {
    const c = chords[p.index];
    if (!(c.numeral > 0) || c.numeral > Math.max(c.x1 - c.x0 - 2 * LabelGap, p.right - p.left)) continue;
    const b = box({ x0: p.centre, x1: p.centre }, c.numeral, 0, width);
    if (row.some((q) => overlaps(q, b))) continue;
    row.push(b);
    out[p.index].numeral = true;
    out[p.index].numeralCentre = b.centre;
  }
  return out;
}

// The chord whose stretch holds x, else the nearest; -1 for none.
export function chordAt(chords, x) {
  let best = -1, distance = Infinity;
  chords.forEach((c, i) => {
    const d = x < c.x0 ? c.x0 - x : x >= c.x1 ? x - c.x1 : -1;
    if (d < distance) { best = i; distance = d; }
  });
  return best;
}
