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

let browser, dir;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); if (dir) fs.rmSync(dir, { recursive: true }); });

const piece = { name: 'cadence.mid', mimeType: 'audio/midi', buffer: midiFile(chordPiece()) };
const advance = (page, ms) => page.evaluate((t) => window.tunedeckHooks.advance(t), ms);

async function openPiece(page) {
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.setInputFiles('#file-input', piece);
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent !== '');
}

// The command's output for the piece, written where it reads it as the page names it.
function command(args) {
  dir ??= fs.mkdtempSync(path.join(os.tmpdir(), 'tunedeck-chords-'));
  fs.writeFileSync(path.join(dir, piece.name), piece.buffer);
  return cli(path.join(dir, piece.name), args);
}

test('the lane and its list show the chords, saved in the JSON as the command gives them and in their CSV', async (t) => {
  const page = await browser.open();
  // A painted pixel at the top of the lane, halfway along: a chord's stretch, never its name.
  const painted = () => page.$eval('#chord-lane', (c) => c.getContext('2d').getImageData(c.width / 2, 1, 1, 1).data[3] > 0);
  assert.equal(await painted(), false);
  await openPiece(page);
  assert.equal(await painted(), true);
  const chords = JSON.parse(await saved(page, '#save-json'))[0].chords;
  assert.deepEqual(chords.slice(0, 3).map((c) => c.symbol), ['C', 'F', 'G']);
  // The list says each chord with its place and function, in the order of the lane.
  const items = await page.$$eval('#chord-list li', (lis) => lis.map((li) => li.textContent));
  assert.equal(items.length, chords.length);
  assert.equal(items[0], 'bar 1, beat 1: C — I of C major');

  const csv = await saved(page, '#save-chords');
  const [header, ...rows] = csv.split('\r\n');
  assert.equal(header, 'file,bar,beat,ms,symbol,label,roman,key,keyCode,confidence');
  assert.equal(rows.pop(), ''); // the last line ends too
  assert.deepEqual(rows.map((r) => r.split(',')), chords.map((c) =>
    [piece.name, c.bar, c.beat, c.ms, c.symbol, c.label, c.roman, c.key, c.keyCode, c.confidence].map(String)));
  assert.deepEqual(page.errors, []);
  await page.close();

  if (!haveDetect) return t.diagnostic('without tunedeck-detect, not compared with the command');
  assert.deepEqual(chords, JSON.parse(command(['--json']))[0].chords);
  // Once the command writes the chords' CSV, the page's is the same.
  let commandCsv = null;
  try { commandCsv = command(['--chords', '--format', 'csv']); } catch { t.diagnostic('tunedeck-detect writes no chords CSV yet'); }
  if (commandCsv !== null) assert.equal(csv, commandCsv);
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
