// Plays and listening, on the page's clock moved by the test: the position moves, the
// library's live key and the live tracker follow, a seek and a transposition take effect,
// and a MIDI keyboard (a test double for Web MIDI) is followed from one key to the next.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { setControl, start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const advance = (page, ms) => page.evaluate((t) => window.tunedeckHooks.advance(t), ms);

async function openPiece(page, tonic) {
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.setInputFiles('#file-input', { name: 'piece.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(tonic)) });
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent !== '');
}

test('a play moves its position, follows the keys live, seeks and transposes', async () => {
  const page = await browser.open();
  await openPiece(page, 60);
  await page.click('#play-button');
  await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
  await advance(page, 6000);
  assert.match(await text(page, '#position-text'), /^0:06 \/ 0:31$/);
  assert.equal(await text(page, '#live-key'), 'C Major');
  assert.equal(await text(page, '#live-signature'), '00');
  // The key of the moment: the file's local key where the play stands.
  assert.match(await text(page, '#live-profile'), /^C major from bar 1, \d+ %$/);

  // A seek: the position goes there and stays while paused.
  await page.click('#pause-button');
  await setControl(page, '#position', 20000, 'input');
  await advance(page, 3000);
  assert.match(await text(page, '#position-text'), /^0:20 /);
  await page.click('#pause-button');
  await advance(page, 2000);
  assert.match(await text(page, '#position-text'), /^0:22 /);

  // Up two semitones: D major, in the analysis and in the play going on.
  await setControl(page, '#transpose', 2);
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent === 'D Major');
  await advance(page, 6000);
  assert.equal(await text(page, '#live-key'), 'D Major');
  assert.match(await text(page, '#position-text'), /^0:28 /);

  // The end: the library's report of the play, as the window shows it.
  assert.equal(await page.isVisible('#play-report'), false);
  await advance(page, 6000);
  assert.equal(await text(page, '#sound-status'), 'The play ended.');
  assert.equal(await text(page, '#play-report-type'), 'Overall Key');
  assert.equal(await text(page, '#play-report-key'), 'D Major');
  assert.equal(await text(page, '#play-report-timeline'), '00:00 D Major');
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A MIDI keyboard that the test plays: one input, its messages sent by the test.
function fakeWebMidi() {
  const input = { id: 'kbd', name: 'Test keyboard', onmidimessage: null };
  window.testKeyboard = (bytes) => input.onmidimessage?.({ data: new Uint8Array(bytes) });
  navigator.requestMIDIAccess = async () => ({ inputs: new Map([['kbd', input]]), outputs: new Map(), onstatechange: null });
}

async function playScale(page, tonic) {
  // Up and down the scale, then the tonic chord, each note a quarter of a second.
  for (let round = 0; round < 3; ++round) {
    for (const step of [0, 2, 4, 5, 7, 9, 11, 12, 11, 9, 7, 5, 4, 2, 0]) {
      await page.evaluate((n) => window.testKeyboard([0x90, n, 90]), tonic + step);
      await advance(page, 250);
      await page.evaluate((n) => window.testKeyboard([0x80, n, 0]), tonic + step);
    }
    for (const step of [0, 4, 7]) await page.evaluate((n) => window.testKeyboard([0x90, n, 90]), tonic + step);
    await advance(page, 1000);
    for (const step of [0, 4, 7]) await page.evaluate((n) => window.testKeyboard([0x80, n, 0]), tonic + step);
  }
}

test('listening follows a keyboard from C major to G major', async () => {
  const page = await browser.open({ init: fakeWebMidi });
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.click('#listen-button');
  await page.waitForFunction(() => !document.getElementById('listen-stop').disabled);
  assert.match(await text(page, '#listen-status'), /Test keyboard/);
  await playScale(page, 60);
  assert.equal(await text(page, '#listen-key'), 'C Major');
  assert.match(await text(page, '#listen-profile'), /^C major\??, \d+ %$/);
  await playScale(page, 67);
  await playScale(page, 67);
  assert.equal(await text(page, '#listen-key'), 'G Major');
  assert.match(await text(page, '#listen-profile'), /^G major\??, \d+ %$/);
  await page.click('#listen-stop');
  // Stopped: the key heard stays shown, and the library's report in minutes and seconds.
  assert.match(await text(page, '#listen-profile'), /^G major, \d+ %$/);
  assert.equal(await text(page, '#listen-report-key'), 'G Major');
  assert.equal(await text(page, '#listen-report-timeline'), '00:00 C Major, 00:15 G Major');
  assert.deepEqual(page.errors, []);
  await page.close();
});
