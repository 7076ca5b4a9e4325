// Plays and listening, on the page's clock moved by the test: the position moves, the
// library's live key and the live tracker follow, a seek, a transposition and other choices
// take effect, a file over the event buffer plays whole, and a MIDI keyboard (a test double
// for Web MIDI) is followed from one key to the next.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { setControl, start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';

const piece = (notes, options) => ({ name: 'piece.mid', mimeType: 'audio/midi', buffer: midiFile(notes, options) });

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const advance = (page, ms) => page.evaluate((t) => window.tunedeckHooks.advance(t), ms);

async function openPiece(page, tonic, file = piece(keyPiece(tonic))) {
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.setInputFiles('#file-input', file);
  await page.waitForFunction(() => document.getElementById('profile-key').textContent !== '');
}

test('a play moves its position, follows the keys live, seeks and transposes', async () => {
  const page = await browser.open();
  await openPiece(page, 60);
  assert.equal(await text(page, '#position-text'), '0:00 / 0:31');
  await page.click('#play-button');
  await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
  await advance(page, 1000);
  assert.equal(await text(page, '#live-signature'), 'Tonalyte names a key after a few seconds of notes');
  await advance(page, 5000);
  assert.match(await text(page, '#position-text'), /^0:06 \/ 0:31$/);
  assert.equal(await page.getAttribute('#position', 'aria-valuetext'), '0:06 of 0:31');
  assert.equal(await text(page, '#live-key'), 'C Major');
  assert.equal(await text(page, '#live-signature'), '00');
  // The key of the moment: the file's local key where the play stands.
  assert.match(await text(page, '#live-profile'), /^C major from bar 1, \d+ %$/);

  // A seek: the position goes there and stays while paused.
  await page.click('#pause-button');
  await setControl(page, '#position', 20000, 'input');
  await advance(page, 3000);
  assert.match(await text(page, '#position-text'), /^0:20 /);
  await page.getByRole('slider', { name: /^Piano roll/ }).press('ArrowRight');
  assert.equal(await page.getAttribute('#piano-roll', 'aria-valuetext'), '0:25 of 0:31');
  await setControl(page, '#position', 20000, 'input');
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
  assert.equal(await text(page, '#position-text'), '0:31 / 0:31');
  assert.equal(await text(page, '#play-report-type'), 'Overall Key');
  assert.equal(await text(page, '#play-report-key'), 'D Major');
  assert.equal(await text(page, '#play-report-timeline'), '00:00 D Major');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a file over the event buffer says so and plays whole; a choice during a play is followed, or stops it saying why', async () => {
  const page = await browser.open();
  await setControl(page, '#split-format0', true);
  // 1,150 rounds of 28 notes: 64,400 note events over 153:19, in one track.
  await openPiece(page, 60, piece(keyPiece(60, 1150), { format: 0 }));
  assert.equal(await text(page, '#profile-key'), 'C major');
  assert.match(await text(page, '#run-note'), /^This file holds more than 64,000 note events.* up to bar \d+; a play plays the whole/);
  assert.equal(await text(page, '#tonalyte-status'), 'no key: over 64,000 note events');
  await page.click('#play-button');
  await advance(page, 10000);
  await setControl(page, '#keys', 3);
  await setControl(page, '#meter', 1);
  await advance(page, 2000);
  assert.deepEqual([await text(page, '#position-text'), await text(page, '#live-key'), await text(page, '#timeline-meter')],
    ['0:12 / 153:19', 'C Major', 'in bars of 3/4']);
  await setControl(page, '#split-format0', false);
  assert.match(await text(page, '#sound-status'), /^The play stopped: it is a format 0 file/);
  assert.equal(await page.isDisabled('#stop-button'), true);
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

// Tonalyte refuses note 0: the analysis, the play and listening leave it out and go on.
test('a note 0 costs neither the analysis, the play nor listening its key', async () => {
  const page = await browser.open({ init: fakeWebMidi });
  await openPiece(page, 60, piece([{ at: 0, length: 480, pitch: 0 }, ...keyPiece(60)]));
  assert.equal(await text(page, '#tonalyte-key'), 'C Major');
  await page.click('#play-button');
  await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
  await advance(page, 6000);
  assert.equal(await text(page, '#live-key'), 'C Major');
  await page.click('#stop-button');

  await page.click('#listen-button');
  await page.waitForFunction(() => !document.getElementById('listen-stop').disabled);
  await page.evaluate(() => { window.testKeyboard([0x90, 0, 90]); window.testKeyboard([0x80, 0, 0]); });
  await playScale(page, 60);
  assert.equal(await text(page, '#listen-key'), 'C Major');
  await page.click('#listen-stop');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('listening without a MIDI system says so in words', async () => {
  const page = await browser.open({ init: () => { navigator.requestMIDIAccess = () => Promise.reject(
    new DOMException('Platform dependent initialization failed.', 'InvalidStateError')); } });
  await page.click('#listen-button');
  await page.waitForFunction(() => document.getElementById('listen-status').textContent !== '');
  assert.match(await text(page, '#listen-status'), /^Cannot listen: this computer offers the browser no MIDI system/);
  await page.close();
});
