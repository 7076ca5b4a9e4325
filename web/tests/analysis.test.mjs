// The page's results are the core's: equal to tunedeck-detect's for the same file and
// choices, saved as the command writes them; refused files say why.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { cli, corpus, detect, haveCorpus, haveDetect, repo, saved, setControl, start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const corpusFiles = () => [
  ...fs.readdirSync(path.join(corpus, 'bach')).filter((f) => f.endsWith('.mid')).slice(0, 2).map((f) => path.join(corpus, 'bach', f)),
  ...fs.readdirSync(path.join(corpus, 'pop909')).filter((f) => f.endsWith('.mid')).slice(0, 2).map((f) => path.join(corpus, 'pop909', f)),
];

// Each row: the page's controls, the command's options for the same run.
const choices = [
  { controls: {}, args: [] },
  { controls: { '#meter': 1, '#keys': 1, '#sensitivity': 'more', '#notation': 3 },
    args: ['--meter', '3/4', '--keys', '1', '--sensitivity', 'more', '--notation', 'german'] },
  { controls: { '#keys': 0, '#notation': 1, '#transpose': 5 }, args: ['--keys', 'unknown', '--notation', 'camelot', '--transpose', '5'] },
];

test('corpus files show the command\'s keys, JSON and CSV', { skip: !(haveCorpus && haveDetect) && 'needs the corpus and tunedeck-detect' }, async () => {
  const files = corpusFiles();
  for (const { controls, args } of choices) {
    const page = await browser.open();
    for (const [selector, value] of Object.entries(controls)) await setControl(page, selector, value);
    await page.setInputFiles('#file-input', files);
    await page.waitForFunction((n) => document.querySelectorAll('#file-list tbody tr').length === n
      && ![...document.querySelectorAll('#file-list tbody td')].some((td) => td.textContent === 'reading…'), files.length);
    for (let i = 0; i < files.length; ++i) {
      await page.click(`#file-list tbody tr:nth-child(${i + 1})`);
      const expected = JSON.parse(cli(files[i], ['--json', ...args]))[0];
      const notation = args.includes('--notation');
      assert.equal(await text(page, '#tonalyte-key'), notation ? expected.keyNotation : expected.key, files[i]);
      if (!notation) assert.equal(await text(page, '#profile-key'), expected.profileAnalysis.key, files[i]);
      assert.equal(await saved(page, '#save-json'), cli(files[i], ['--json', ...args]), files[i]);
      assert.equal(await saved(page, '#save-csv'), cli(files[i], ['--format', 'csv', ...args]), files[i]);
      // One file's RomanText a run: Chromium holds back a page's downloads that come too fast.
      if (i === 0) assert.equal(`${await saved(page, '#save-rntxt')}\n`, cli(files[i], ['--format', 'rntxt', ...args]), files[i]);
    }
    assert.deepEqual(page.errors, []);
    await page.close();
  }
});

// Over the event buffer the core itself analyses the notes up to the limit, so the page saves
// what the command prints: the profile analysis, the chords and the last bar they reach.
test('a file over the event buffer saves the command\'s JSON and chords, up to the limit', { skip: !haveDetect && 'needs tunedeck-detect' }, async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tunedeck-page-'));
  const file = path.join(dir, 'long.mid');
  fs.writeFileSync(file, midiFile(keyPiece(60, 1150))); // 64,400 note events
  const command = (args) => spawnSync(detect, [...args, 'long.mid'], { cwd: dir, encoding: 'utf8', maxBuffer: 1 << 26 }).stdout;
  const page = await browser.open();
  await page.setInputFiles('#file-input', file);
  await page.waitForFunction(() => document.getElementById('profile-key').textContent !== '');
  assert.equal(await text(page, '#profile-key'), 'C major');
  const json = await saved(page, '#save-json');
  assert.equal(json, command(['--json']));
  const [object] = JSON.parse(json);
  assert.equal(object.outcome, 'out-of-buffer');
  assert.match(await text(page, '#run-note'), new RegExp(` up to bar ${object.limitBar};`));
  assert.equal(await saved(page, '#save-chords'), command(['--chords', '--format', 'csv']));
  assert.deepEqual(page.errors, []);
  await page.close();
  fs.rmSync(dir, { recursive: true });
});

test('a refused file shows why, wrapped, and is counted; a new file empties the keys until it is read', async () => {
  const page = await browser.open();
  await page.setInputFiles('#file-input', { name: 'c.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(60)) });
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent === 'C Major');
  assert.equal(await text(page, '#profile-key'), 'C major');
  await page.setInputFiles('#file-input', [{ name: 'notes.txt', mimeType: 'text/plain', buffer: Buffer.from('not a MIDI file at all') },
    { name: 'empty.mid', mimeType: 'audio/midi', buffer: Buffer.alloc(0) }]);
  await page.waitForFunction(() => /read/.test(document.getElementById('page-status').textContent));
  assert.match(await text(page, '#refusal'), /it does not begin with a MIDI header \(MThd\)/);
  assert.equal(await text(page, '#tonalyte-key'), '');
  assert.equal(await text(page, '#profile-key'), '');
  assert.equal(await text(page, '#page-status'), '0 files read, 2 refused.');
  await page.click('#file-list tbody tr:nth-child(2)');
  assert.equal(await text(page, '#refusal'), 'Refused: the file is empty (0 bytes)');
  // A format 0 file is refused until it is read one track per channel; the long reason wraps.
  await page.setInputFiles('#file-input', { name: 'c-in-one-track-for-every-channel.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(62), { format: 0 }) });
  await page.waitForSelector('#refusal:not([hidden])');
  assert.match(await text(page, '#refusal'), /format 0/);
  assert.equal(await page.$eval('.table-wrap', (w) => w.scrollWidth - w.clientWidth), 0);
  await setControl(page, '#split-format0', true);
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent === 'D Major');
  assert.equal(await page.isHidden('#refusal'), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the saved key map has its legend under it', async () => {
  const page = await browser.open();
  await page.setInputFiles('#file-input', { name: 'c.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(60)) });
  await page.waitForSelector('#key-map-legend span');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-map')]);
  assert.ok(fs.readFileSync(await download.path()).readUInt32BE(20) > await page.$eval('#key-map', (c) => c.height));
  await page.close();
});

test('scripts/web.sh with an unknown command prints its usage and builds nothing', () => {
  const run = spawnSync(path.join(repo, 'scripts/web.sh'), ['bogus'], { encoding: 'utf8' });
  assert.deepEqual([run.status, run.stdout, run.stderr], [2, '', 'usage: scripts/web.sh [serve [PORT]] | build DIR\n']);
});
