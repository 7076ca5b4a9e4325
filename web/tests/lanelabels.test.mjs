// The chord lane's choice of names and the zoom's arithmetic, in node without a page.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { LabelGap, chordAt, pickLabels } from '../page/js/lanelabels.js';
import { followView, msOf, panView, xOf, zoomView } from '../page/js/timeview.js';

// Chords side by side, each [stretch width, full width, short width, numeral width].
function row(...specs) {
  let x = 0;
  return specs.map(([w, full, short = full, numeral = 0]) => {
    const c = { x0: x, x1: x + w, full, short, numeral };
    x += w;
    return c;
  });
}

const cases = [
  { name: 'every name inside its stretch', chords: row([40, 14], [40, 20], [40, 14]), width: 120,
    symbols: ['full', 'full', 'full'] },
  { name: 'a slash chord too narrow whole keeps its symbol without the bass', chords: row([40, 14], [30, 40, 16], [40, 14]),
    width: 110, symbols: ['full', 'short', 'full'] },
  // Two short chords between two long ones: the longer of the two takes the room left.
  { name: 'where names must go, the longer chord keeps its own', chords: row([60, 10], [12, 20], [14, 20], [60, 10]),
    width: 146, symbols: ['full', null, 'full', 'full'] },
  { name: 'a name reaches past a short chord into neighbours left unnamed', chords: row([10, 30], [16, 24], [10, 30]),
    width: 36, symbols: [null, 'full', null] },
  { name: 'a name much wider than its chord is left out', chords: row([8, 30]), width: 100, symbols: [null] },
];

test('the lane names what fits, prefers longer chords, shortens slash chords', () => {
  for (const { name, chords, width, symbols } of cases)
    assert.deepEqual(pickLabels(chords, width).map((p) => p.symbol), symbols, name);
});

test('a numeral only under a symbol drawn, and only where it fits', () => {
  // The second chord's numeral is wider than its stretch and its symbol; the third has no symbol.
  const picked = pickLabels(row([40, 14, 14, 12], [20, 12, 12, 30], [4, 30, 30, 6], [40, 14, 14, 12]), 104);
  assert.deepEqual(picked.map((p) => [p.symbol !== null, p.numeral]), [[true, true], [true, false], [false, false], [true, true]]);
});

// A small random generator, so that a failure repeats.
function random(seed) {
  let s = seed;
  return () => ((s = (s * 1103515245 + 12345) % 2147483648) / 2147483648);
}

test('names never overlap one another, nor numerals, on crowded lanes', () => {
  const next = random(7);
  for (let trial = 0; trial < 200; ++trial) {
    const chords = row(...Array.from({ length: 40 }, () => [1 + next() * 30, 8 + next() * 30, 8 + next() * 10, next() * 20]));
    const width = chords.at(-1).x1;
    const picked = pickLabels(chords, width);
    for (const [rowOf, widthOf] of [[(p) => p.symbol && p.centre, (c, p) => c[p.symbol]],
      [(p) => p.numeral && p.numeralCentre, (c) => c.numeral]]) {
      const boxes = picked.flatMap((p, i) => (rowOf(p) === false || p.symbol === null ? []
        : [[rowOf(p) - widthOf(chords[i], p) / 2, rowOf(p) + widthOf(chords[i], p) / 2]])).sort((a, b) => a[0] - b[0]);
      for (let i = 1; i < boxes.length; ++i) assert.ok(boxes[i][0] >= boxes[i - 1][1] + LabelGap - 1e-9, `trial ${trial}`);
      for (const [left, right] of boxes) assert.ok(left >= -1e-9 && right <= width + 1e-9, `trial ${trial}`);
    }
    picked.forEach((p) => assert.ok(!p.numeral || p.symbol !== null));
  }
});

test('the chord under a point, else the nearest', () => {
  const chords = row([10, 0], [10, 0], [10, 0]);
  assert.deepEqual([-5, 0, 15, 29, 40].map((x) => chordAt(chords, x)), [0, 0, 1, 2, 2]);
});

test('a zoom keeps the time under the pointer in place and stays inside the piece', () => {
  const whole = { startMs: 0, spanMs: 60000 };
  const zoomed = zoomView(whole, 60000, 4, 45000);
  assert.deepEqual(zoomed, { startMs: 33750, spanMs: 15000 });
  assert.equal(msOf(zoomed, 1000, xOf(whole, 1000, 45000)), 45000);
  // Near the end the view stops at the end; out past the whole piece it is the whole piece.
  assert.deepEqual(zoomView(whole, 60000, 4, 60000), { startMs: 45000, spanMs: 15000 });
  assert.deepEqual(zoomView(zoomed, 60000, 1 / 8, 45000), whole);
  assert.equal(zoomView(whole, 60000, 1000, 0).spanMs, 1000);
  assert.deepEqual(panView(zoomed, 60000, 30000), { startMs: 45000, spanMs: 15000 });
});

test('a play past the view turns the page, one inside it leaves the view', () => {
  const view = { startMs: 10000, spanMs: 10000 };
  assert.equal(followView(view, 60000, 15000), view);
  assert.deepEqual(followView(view, 60000, 20500), { startMs: 20000, spanMs: 10000 });
  assert.deepEqual(followView(view, 60000, 59000), { startMs: 50000, spanMs: 10000 });
  assert.deepEqual(followView(view, 60000, 2000), { startMs: 0, spanMs: 10000 });
});
