// The page works at 360 px wide and on a large screen, light and dark, and by keyboard.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { start, text } from './browser.mjs';
import { keyPiece, midiFile } from './midi.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

const files = [
  { name: 'in-c.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(60)) },
  { name: 'in-e.mid', mimeType: 'audio/midi', buffer: midiFile(keyPiece(64)) },
];

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
