// Scores on the page: MusicXML, plain or compressed, read where a MIDI file is, told apart by
// their content, refused in the reader's words, their repeats played when asked.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { detect, haveDetect, saved, setControl, start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';
import { compressed, keyMeasures, scoreXml } from './score.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const inD = scoreXml(keyMeasures(62), { fifths: 2 });
const score = (name, xml = inD) => ({ name, mimeType: 'application/vnd.recordare.musicxml+xml', buffer: Buffer.from(xml) });
const mxl = (name, xml = inD) => ({ name, mimeType: 'application/vnd.recordare.musicxml', buffer: Buffer.from(compressed(xml)) });
const keyIs = (page, key) => page.waitForFunction((k) => document.getElementById('tonalyte-key').textContent === k, key);
const allRead = (page, n) => page.waitForFunction((count) => document.querySelectorAll('#file-list tbody tr').length === count
  && ![...document.querySelectorAll('#file-list tbody td')].some((td) => td.textContent === 'reading…'), n);

test('the file dialog offers scores beside MIDI files', async () => {
  const page = await browser.open();
  const accept = (await page.getAttribute('#file-input', 'accept')).split(',');
  for (const name of ['.mid', '.midi', '.kar', '.musicxml', '.mxl', '.xml']) assert.ok(accept.includes(name), name);
  assert.equal(await page.isChecked('#unfold-repeats'), false);
  await page.close();
});

// Each row: the file as named and made, the key the page shows. Names do not decide: a score
// named .mid is a score, a MIDI file named .xml is MIDI.
const files = [
  { file: score('in-d.musicxml'), key: 'D Major' },
  { file: score('in-d.xml'), key: 'D Major' },
  { file: mxl('in-d.mxl'), key: 'D Major' },
  { file: score('a-score.mid'), key: 'D Major' },
  { file: { name: 'midi.xml', mimeType: 'text/xml', buffer: midiFile(keyPiece(62)) }, key: 'D Major' },
  { file: score('in-e-flat.musicxml', scoreXml(keyMeasures(63), { fifths: -3 })), key: 'D# Eb Major' },
];

test('scores are read as MIDI files are, whatever their names', async () => {
  const page = await browser.open();
  await page.setInputFiles('#file-input', files.map((f) => f.file));
  await allRead(page, files.length);
  for (let i = 0; i < files.length; ++i) {
    await page.click(`#file-list tbody tr:nth-child(${i + 1})`);
    await keyIs(page, files[i].key);
    assert.equal(await page.isHidden('#refusal'), true, files[i].file.name);
  }
  assert.equal(await text(page, '#page-status'), `${files.length} files read.`);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a score and its compressed copy save the same analysis', async () => {
  const page = await browser.open();
  const saves = [];
  for (const file of [score('piece.musicxml'), mxl('piece.mxl')]) {
    await page.setInputFiles('#file-input', file);
    await keyIs(page, 'D Major');
    saves.push((await saved(page, '#save-json')).replace(`"file": "${file.name}"`, '"file": "piece"'));
  }
  assert.equal(saves[0], saves[1]);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Each row: a damaged score and the reader's words the page shows.
const damaged = [
  { file: score('cut.musicxml', inD.slice(0, inD.indexOf('<measure number="3"'))), why: /^Refused: it is not well-formed XML \(Start-end tags mismatch at byte \d+\)$/ },
  { file: { name: 'cut.mxl', mimeType: 'application/vnd.recordare.musicxml', buffer: Buffer.from(compressed(inD).subarray(0, 200)) },
    why: /^Refused: it is a damaged zip archive$/ },
  { file: score('no-parts.musicxml', '<score-partwise version="4.0"><part-list/></score-partwise>'), why: /^Refused: it has no parts$/ },
];

test('a damaged score is refused in the reader\'s words, and the page goes on', async () => {
  const page = await browser.open();
  for (const { file, why } of damaged) {
    await page.setInputFiles('#file-input', file);
    await page.waitForSelector('#refusal:not([hidden])');
    assert.match(await text(page, '#refusal'), why, file.name);
    assert.equal(await text(page, '#tonalyte-key'), '');
  }
  await page.setInputFiles('#file-input', score('fine.musicxml'));
  await keyIs(page, 'D Major');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('"Play repeats" plays a score\'s repeated bars again, in the play and the analysis', async () => {
  const page = await browser.open();
  // Four bars of 4/4 at 120 a minute, all repeated: 8 seconds as written, 16 played.
  const repeated = scoreXml(keyMeasures(62), { fifths: 2, repeat: { from: 0, to: 3 } });
  await page.setInputFiles('#file-input', score('repeats.musicxml', repeated));
  await keyIs(page, 'D Major');
  assert.equal(await text(page, '#position-text'), '0:00 / 0:08');
  const once = JSON.parse(await saved(page, '#save-json'))[0];
  await setControl(page, '#unfold-repeats', true);
  await page.waitForFunction(() => document.getElementById('position-text').textContent === '0:00 / 0:16');
  const twice = JSON.parse(await saved(page, '#save-json'))[0];
  // The analysis' chords reach the end of the bars played: 16 quarters, then 32.
  assert.deepEqual([once.chords.at(-1).endTick, twice.chords.at(-1).endTick], [7680, 15360]);
  await setControl(page, '#unfold-repeats', false);
  await page.waitForFunction(() => document.getElementById('position-text').textContent === '0:00 / 0:08');
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Each row: a piece in six flats, as a score and as a MIDI file, and the names the page gives
// it: the score's spelling, the program's own for the MIDI file.
const spellings = [
  { file: score('g-flat.musicxml', scoreXml(keyMeasures(66), { fifths: -6 })), key: 'Gb major', one: 'Gb — I of Gb major', five: 'Db — V of Gb major' },
  { file: { name: 'g-flat.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(66)) }, key: 'F# major', one: 'F# — I of F# major', five: 'C# — V of F# major' },
];

test('a score\'s keys and chords are named as it writes them, a MIDI file\'s as ever', async () => {
  for (const { file, key, one, five } of spellings) {
    const page = await browser.open();
    await setControl(page, '#bars', 1); // the meter's bars: the piece's own may start with a pickup
    await page.evaluate(() => window.tunedeckHooks.useManualClock());
    await page.setInputFiles('#file-input', file);
    await page.waitForFunction(() => document.getElementById('profile-key').textContent !== '');
    assert.equal(await text(page, '#profile-key'), key, file.name);
    assert.ok((await text(page, '#profile-line')).startsWith(`${key}, `), file.name);
    assert.equal(await text(page, '#profile-changes'), `0001: ${key}`, file.name);
    const items = await page.$$eval('#chord-list li', (lis) => lis.map((li) => li.textContent));
    assert.ok(items.some((i) => i.endsWith(`: ${one}`)), `${file.name}: ${items}`);
    // Half-way through bar 4, the dominant.
    await page.click('#play-button');
    await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
    await page.evaluate((t) => window.tunedeckHooks.advance(t), 6500);
    assert.equal(await text(page, '#live-chord'), five, file.name);
    assert.ok((await text(page, '#live-profile')).startsWith(`${key} from bar 1`), file.name);
    assert.deepEqual(page.errors, []);
    await page.close();
  }
});

// The score saved with its analysis is what tunedeck-detect --write-musicxml writes, plain or
// compressed alike; a MIDI file has no score to save.
test('a score saves itself with its analysis, as the command writes it', { skip: !haveDetect && 'needs tunedeck-detect' }, async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tunedeck-page-'));
  const page = await browser.open();
  for (const file of [score('piece.musicxml'), mxl('piece.mxl')]) {
    fs.writeFileSync(path.join(dir, file.name), file.buffer);
    const out = path.join(dir, `out-${file.name}`);
    spawnSync(detect, ['--write-musicxml', out, file.name], { cwd: dir });
    await page.setInputFiles('#file-input', file);
    await keyIs(page, 'D Major');
    const written = await saved(page, '#save-score');
    assert.ok(written.includes('<harmony placement="above">'), file.name);
    assert.equal(written, fs.readFileSync(path.join(out, 'piece.musicxml'), 'utf8'), file.name);
  }
  await page.setInputFiles('#file-input', { name: 'midi.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(62)) });
  await keyIs(page, 'D Major');
  assert.equal(await page.isDisabled('#save-score'), true);
  assert.deepEqual(page.errors, []);
  await page.close();
});
