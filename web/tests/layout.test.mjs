// The page works at 360 px wide and on a large screen, light and dark, and by keyboard.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { setControl, start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const file = (name, notes, options) => ({ name, mimeType: 'audio/midi', buffer: midiFile(notes, options) });
const files = [file('in-c.mid', keyPiece(60)), file('in-e.mid', keyPiece(64))];
// Channel 1 on the first tonic, channel 2 on the second.
const duo = (first, second) => [...keyPiece(first), ...keyPiece(second).map((n) => ({ ...n, channel: 1 }))];

test('nothing but the file table scrolls sideways, at 360 and 1440 px, light and dark', async () => {
  for (const [width, colorScheme] of [[360, 'light'], [360, 'dark'], [1440, 'dark']]) {
    const page = await browser.open({ width, colorScheme });
    await page.setInputFiles('#file-input', files);
    await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent !== '');
    const widest = await page.evaluate(() => document.documentElement.scrollWidth);
    assert.equal(widest, width, `${width} px ${colorScheme}`);
    // The scheme reaches the page's own colours, not only the browser's controls.
    const background = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
    assert.equal(background, colorScheme === 'dark' ? 'rgb(22, 23, 26)' : 'rgb(247, 247, 245)');
    await page.close();
  }
});

test('the file rows and the choices work from the keyboard', async () => {
  const page = await browser.open();
  await page.setInputFiles('#file-input', files);
  await page.waitForFunction(() => document.querySelectorAll('#file-list tbody tr').length === 2
    && document.getElementById('tonalyte-key').textContent === 'C Major');
  await page.focus('#file-list tbody tr:first-child');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  assert.equal(await text(page, '#results-file'), 'in-e.mid');
  assert.equal(await text(page, '#tonalyte-key'), 'E Major');
  await page.focus('#notation');
  await page.selectOption('#notation', '1');
  assert.equal(await text(page, '#tonalyte-key'), '12B');
  // Every control has a name a screen reader can say.
  const unnamed = await page.evaluate(() => [...document.querySelectorAll('input, select, button')]
    .filter((el) => !el.labels?.length && !el.textContent.trim() && !el.getAttribute('aria-label')).map((el) => el.id));
  assert.deepEqual(unnamed, []);
  await page.close();
});

test('the mix is kept for the next file and said; a mute box keeps the focus', async () => {
  const page = await browser.open();
  await page.setInputFiles('#file-input', file('first.mid', duo(60, 60)));
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent === 'C Major');
  await page.focus('#channels input[value="1"]');
  await page.keyboard.press('Space');
  assert.deepEqual(await page.evaluate(() => [document.activeElement.value, document.activeElement.checked]), ['1', true]);
  await setControl(page, '#transpose', 2);
  // Channel 2 alone plays G major: moved up two, A major.
  await page.setInputFiles('#file-input', file('second.mid', duo(60, 67)));
  await page.waitForFunction(() => document.getElementById('tonalyte-key').textContent === 'A Major');
  const note = 'Muted: channel 1 (not heard or analysed). Transposed by +2 semitones (heard and analysed)';
  assert.deepEqual([await text(page, '#mix-note'), await text(page, '#page-status')], [note, `1 file read. ${note}.`]);
  assert.deepEqual(await page.$$eval('#file-list [aria-selected], #file-list [aria-current=true]', (l) => l.map((e) => e.tagName)), ['TR']);
  await setControl(page, '#channels input[value="2"]', true);
  assert.deepEqual([await text(page, '#tonalyte-status'), await text(page, '#mix-note')],
    ['no notes analysed: every channel is muted', 'Every channel muted: nothing is heard or analysed']);
  await page.close();
});
