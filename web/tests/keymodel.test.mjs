// The key network in the page's module gives PyTorch's probabilities and decisions for the
// reference sequences that tools/keymodel/export.py wrote with the weights (keymodel_tests
// checks the same numbers in C++).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { repo, start } from './browser.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const reference = JSON.parse(fs.readFileSync(path.join(repo, 'tests/keymodel/keymodelreference.json'), 'utf8'));

// The most probable class, the lower on a tie.
const decision = (p) => p.reduce((best, v, i) => (v > p[best] ? i : best), 0);

test('the key network gives PyTorch\'s probabilities and decisions on each sequence', async () => {
  const page = await browser.open();
  const sequences = reference.sequences.map(({ frames, inputs }) => ({ frames, inputs }));
  const outputs = await page.evaluate((all) => all.map(({ frames, inputs }) => {
    const out = window.tunedeckHooks.core.keyNetwork(new Float32Array(inputs), frames);
    return Object.fromEntries(Object.entries(out).map(([head, p]) => [head, Array.from(p)]));
  }), sequences);
  const empty = await page.evaluate(() => window.tunedeckHooks.core.keyNetwork(new Float32Array(0), 0).key.length);
  assert.equal(empty, 0);
  reference.sequences.forEach((sequence, i) => {
    for (const [head, classes] of Object.entries(reference.classes)) {
      const got = outputs[i][head], expected = sequence[head], where = `${head}, ${sequence.frames} frames`;
      assert.equal(got.length, expected.length, where);
      const worst = Math.max(...got.map((p, j) => Math.abs(p - expected[j])));
      assert.ok(worst <= 1e-4, `${where}: ${worst} from PyTorch's`);
      const decisions = sequence.decisions[head].map((_, t) => decision(got.slice(t * classes, (t + 1) * classes)));
      assert.deepEqual(decisions, sequence.decisions[head], where);
    }
  });
  assert.deepEqual(page.errors, []);
  await page.close();
});
