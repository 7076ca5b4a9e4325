// The chords per beat on the page: the lane under the roll and its list, the chord of the
// moment during a play, the chords in the saved JSON (the command's) and their own CSV. The
// piece holds plain triads a bar each, C F G C, whatever finds its chords.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { cli, haveDetect, saved, setControl, start, text } from './browser.mjs';
import { chordPiece, midiFile } from './midi.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const piece = { name: 'cadence.mid', mimeType: 'audio/midi', buffer: midiFile(chordPiece()) };
const advance = (page, ms) => page.evaluate((t) => window.tunedeckHooks.advance(t), ms);

async function openPiece(page) {
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.setInputFiles('#file-input', piece);
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent !== '');
}

// A painted pixel at the top of the lane, halfway along: a chord's stretch, never its name.
const laneMiddlePainted = (page) => page.$eval('#chord-lane', (c) =>
  c.getContext('2d').getImageData(Math.floor(c.width / 2), 1, 1, 1).data[3] > 0);

test('the lane and its list show the chords; the chords CSV has a row a chord', async () => {
  const page = await browser.open();
  assert.equal(await laneMiddlePainted(page), false);
  await openPiece(page);
  assert.equal(await laneMiddlePainted(page), true);
  const chords = JSON.parse(await saved(page, '#save-json'))[0].chords;
  assert.ok(chords.length >= 4);
  assert.deepEqual(chords.slice(0, 3).map((c) => c.symbol), ['C', 'F', 'G']);
  // The list says each chord with its place and function, in the order of the lane.
  const items = await page.$$eval('#chord-list li', (lis) => lis.map((li) => li.textContent));
  assert.equal(items.length, chords.length);
  assert.equal(items[0], 'bar 1, beat 1: C — I of C major');
  assert.equal(await text(page, '#chord-count'), `(${chords.length})`);

  const [header, ...rows] = (await saved(page, '#save-chords')).split('\r\n');
  assert.equal(header, 'file,bar,beat,ms,symbol,label,roman,key,keyCode,confidence');
  assert.equal(rows.pop(), ''); // the last line ends too
  assert.deepEqual(rows.map((r) => r.split(',')), chords.map((c) =>
    [piece.name, c.bar, c.beat, c.ms, c.symbol, c.label, c.roman, c.key, c.keyCode, c.confidence].map(String)));
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The piece written where the command reads it, as the page names it.
function withPieceFile(use) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tunedeck-chords-'));
  const file = path.join(dir, piece.name);
  fs.writeFileSync(file, piece.buffer);
  try {
    return use(file);
  } finally {
    fs.rmSync(dir, { recursive: true });
  }
}

// The command's chords CSV, once it writes one (--chords).
const commandCsv = haveDetect ? withPieceFile((file) => {
  try { return cli(file, ['--chords', '--format', 'csv']); } catch { return null; }
}) : null;

test('the saved chords are the command\'s', { skip: !haveDetect && 'needs tunedeck-detect' }, async (t) => {
  const page = await browser.open();
  await openPiece(page);
  const json = JSON.parse(await saved(page, '#save-json'))[0];
  assert.deepEqual(json.chords, withPieceFile((file) => JSON.parse(cli(file, ['--json']))[0].chords));
  if (commandCsv === null) t.diagnostic('tunedeck-detect writes no chords CSV (--chords) to compare with');
  else assert.equal(await saved(page, '#save-chords'), commandCsv);
  await page.close();
});

// Each row: the play's tempo, where the play stands, the chord shown there.
const moments = [
  { tempo: 100, at: 2500, chord: 'F — IV of C major' },  // half-way through bar 2
  { tempo: 200, at: 2500, chord: 'G — V of C major' },   // twice as fast: half-way through bar 3
];

test('the chord of the moment follows the play, its tempo and a seek', async () => {
  for (const { tempo, at, chord } of moments) {
    const page = await browser.open();
    await openPiece(page);
    await setControl(page, '#tempo', tempo, 'input');
    await page.click('#play-button');
    await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
    await advance(page, at);
    assert.equal(await text(page, '#live-chord'), chord, `${tempo} %`);
    assert.match(await page.textContent('#chord-list li[aria-current=true]'), new RegExp(`: ${chord}$`));
    // Back to the first bar while paused.
    await page.click('#pause-button');
    await setControl(page, '#position', 1000 * 100 / tempo, 'input');
    assert.equal(await text(page, '#live-chord'), 'C — I of C major', `${tempo} %`);
    assert.deepEqual(page.errors, []);
    await page.close();
  }
});
