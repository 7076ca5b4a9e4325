// The page's state as a user meets it: a track the next file lacks, files dropped on the page,
// and a play, listening and a new read, each of which stops the others and leaves its report.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const file = (name, notes, options) => ({ name, mimeType: 'audio/midi', buffer: midiFile(notes, options) });
const advance = (page, ms) => page.evaluate((t) => window.tunedeckHooks.advance(t), ms);
const keyIs = (page, key) => page.waitForFunction((k) => document.getElementById('tonalyte-key').textContent === k, key);

test('a track the next file lacks falls back to all tracks, in the list and in the next analysis', async () => {
  const page = await browser.open();
  // C major on channel 1 in the first track, G major on channel 2 in the second.
  const duo = [...keyPiece(60), ...keyPiece(67).map((n) => ({ ...n, channel: 1 }))];
  await page.setInputFiles('#file-input', file('two-tracks.mid', duo, { trackPerChannel: true }));
  await page.waitForFunction(() => document.querySelectorAll('#track option').length === 3);
  await page.selectOption('#track', { label: 'Track 02' });
  await keyIs(page, 'G Major');
  // The next file was read with track 2 chosen, which it has not; the list then offers all.
  await page.setInputFiles('#file-input', file('in-d.mid', keyPiece(62)));
  await page.waitForFunction(() => document.getElementById('tonalyte-status').textContent === 'the chosen track is not in this file');
  assert.deepEqual(await page.$$eval('#track option', (os) => os.map((o) => o.textContent)), ['All', 'Track 01']);
  assert.equal(await page.inputValue('#track'), 'all');
  // The next read takes all tracks, as the list says.
  await page.setInputFiles('#file-input', file('in-d-again.mid', keyPiece(62)));
  await keyIs(page, 'D Major');
  // Other key names reach the table's rows as well as the results.
  await page.selectOption('#notation', '1');
  assert.deepEqual(await page.$$eval('#file-list tbody td:nth-child(2)', (tds) => tds.map((td) => td.textContent)), ['10B']);
  assert.equal(await text(page, '#tonalyte-key'), '10B');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('files dropped on the page are read, the zone marked while they are held over it', async () => {
  const page = await browser.open();
  const bytes = [...midiFile(keyPiece(64))];
  const drop = await page.evaluateHandle((b) => {
    const data = new DataTransfer();
    data.items.add(new File([new Uint8Array(b)], 'dropped.mid', { type: 'audio/midi' }));
    return data;
  }, bytes);
  const dragging = () => page.$eval('#drop-zone', (z) => z.classList.contains('dragging'));
  await page.dispatchEvent('body', 'dragover', { dataTransfer: drop });
  assert.equal(await dragging(), true);
  await page.dispatchEvent('body', 'dragleave');
  assert.equal(await dragging(), false);
  await page.dispatchEvent('body', 'dragover', { dataTransfer: drop });
  await page.dispatchEvent('body', 'drop', { dataTransfer: drop });
  assert.equal(await dragging(), false);
  await keyIs(page, 'E Major');
  assert.equal(await text(page, '#results-file'), 'dropped.mid');
  assert.equal(await text(page, '#page-status'), '1 file read.');
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A MIDI keyboard the test plays, as in live.test.mjs.
function fakeWebMidi() {
  const input = { id: 'kbd', name: 'Test keyboard', onmidimessage: null };
  window.testKeyboard = (bytes) => input.onmidimessage?.({ data: new Uint8Array(bytes) });
  navigator.requestMIDIAccess = async () => ({ inputs: new Map([['kbd', input]]), outputs: new Map(), onstatechange: null });
}

// The transport's buttons: [play's label, pause's label, pause pressed, stop disabled].
const transport = (page) => page.evaluate(() => {
  const $ = (id) => document.getElementById(id);
  return [$('play-button').textContent, $('pause-button').textContent, $('pause-button').getAttribute('aria-pressed'),
    $('stop-button').disabled];
});

test('a play, listening and a new read stop one another, each stopped one leaving its report', async () => {
  const page = await browser.open({ init: fakeWebMidi });
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.setInputFiles('#file-input', file('in-c.mid', keyPiece(60)));
  await keyIs(page, 'C Major');
  await page.click('#play-button');
  await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
  await advance(page, 8000);
  await page.click('#pause-button');
  assert.deepEqual(await transport(page), ['Play from the start', 'Go on', 'true', false]);

  // Listening stops the play, which then reports nothing.
  await page.click('#listen-button');
  await page.waitForFunction(() => !document.getElementById('listen-stop').disabled);
  assert.deepEqual(await transport(page), ['Play', 'Pause', 'false', true]);
  assert.equal(await page.isHidden('#play-report'), true);
  for (const n of [60, 64, 67, 72]) await page.evaluate((p) => window.testKeyboard([0x90, p, 90]), n);
  await advance(page, 4000);

  // A play stops listening, whose report is then shown.
  await page.click('#play-button');
  await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
  assert.deepEqual(await page.evaluate(() => [document.getElementById('listen-button').disabled,
    document.getElementById('listen-stop').disabled]), [false, true]);
  assert.equal(await page.isVisible('#listen-report'), true);
  assert.notEqual(await text(page, '#listen-report-type'), '');

  // New files stop the play and empty the results until they are read.
  await advance(page, 2000);
  await page.setInputFiles('#file-input', file('in-a.mid', keyPiece(57)));
  await keyIs(page, 'A Major');
  assert.deepEqual(await transport(page), ['Play', 'Pause', 'false', true]);
  assert.equal(await text(page, '#position-text'), '0:00 / 0:31');
  assert.deepEqual(page.errors, []);
  await page.close();
});
