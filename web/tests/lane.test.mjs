// The chord lane as a user meets it: the names it finds room for at a laptop's width, every
// chord's name on hover and by keyboard, and the zoom of the roll and the lane together.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { repo, start, text } from './browser.mjs';

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser?.close(); });

// Twinkle in C, G, then C again: a bar a chord mostly, V7 for half a bar before each cadence.
const twinkle = { name: 'twinkle-modulating.mid', mimeType: 'audio/midi',
  buffer: fs.readFileSync(path.join(repo, 'examples/twinkle-modulating.mid')) };
const names = (page) => page.$eval('#chord-lane', (c) => c.dataset.names.split('|'));
const said = (page) => text(page, '#chord-said');
const shown = (page) => text(page, '#zoom-text');

async function open(width) {
  const page = await browser.open({ width });
  await page.evaluate(() => window.tunedeckHooks.useManualClock());
  await page.setInputFiles('#file-input', twinkle);
  await page.waitForFunction(() => document.getElementById('chord-list').children.length > 0);
  return page;
}

test('at 1366 px the lane names every dominant seventh of twinkle, at 360 px still some chords', async () => {
  for (const [width, least] of [[1366, { G7: 4, D7: 2 }], [360, {}]]) {
    const page = await open(width);
    const drawn = await names(page);
    for (const [symbol, count] of Object.entries(least))
      assert.equal(drawn.filter((n) => n === symbol).length, count, `${symbol} at ${width} px`);
    assert.ok(drawn.length > 0, `${width} px`);
    assert.deepEqual(page.errors, []);
    await page.close();
  }
});

test('hover names the chord under the pointer, with its numeral, place and confidence', async () => {
  const page = await open(1366);
  const items = await page.$$eval('#chord-list li', (lis) => lis.map((li) => li.textContent));
  // The first chord, at the lane's left edge.
  await page.hover('#chord-lane', { position: { x: 2, y: 10 } });
  const [place, inKey] = items[0].split(': ');
  assert.match(await text(page, '#chord-tip'), new RegExp(`^${inKey}, ${place}, confidence \\d+ %$`));
  assert.equal(await page.isVisible('#chord-tip'), true);
  await page.hover('#play-title');
  assert.equal(await page.isVisible('#chord-tip'), false);
  await page.close();
});

test('the lane takes focus; the arrows, Home and End move between chords and say each', async () => {
  const page = await open(1366);
  const items = await page.$$eval('#chord-list li', (lis) => lis.map((li) => li.textContent));
  const words = (i) => {
    const [place, inKey] = items[i].split(': ');
    return new RegExp(`^Chord ${i + 1} of ${items.length}: ${inKey.replace(/[/+]/g, '\\$&')}, ${place}, confidence \\d+ %$`);
  };
  await page.focus('#chord-lane');
  assert.match(await said(page), words(0));
  for (const [key, index] of [['ArrowRight', 1], ['ArrowRight', 2], ['ArrowLeft', 1], ['End', items.length - 1],
    ['ArrowRight', items.length - 1], ['Home', 0], ['ArrowLeft', 0]]) {
    await page.keyboard.press(key);
    assert.match(await said(page), words(index), key);
  }
  assert.equal(await text(page, '#chord-tip'), (await said(page)).replace(/^Chord \d+ of \d+: /, ''));
  assert.equal(await page.getAttribute('#chord-lane', 'aria-describedby'), 'chord-said');
  assert.equal(await page.getAttribute('#chord-said', 'aria-live'), 'polite');
  await page.close();
});

test('buttons, keys and Ctrl with the wheel zoom the roll and the lane together; a play stays in view', async () => {
  // At 360 px the D7s find no room until the zoom makes it.
  const page = await open(360);
  const whole = await shown(page);
  assert.equal(whole, 'Showing 0:00 to 1:11 of 1:11');
  assert.equal(await page.isDisabled('#zoom-out'), true);
  assert.equal((await names(page)).includes('D7'), false);
  await page.click('#zoom-in');
  await page.click('#zoom-in');
  assert.equal(await shown(page), 'Showing 0:26 to 0:44 of 1:11');
  assert.equal((await names(page)).includes('D7'), true);
  // 0 on the roll: the whole piece again.
  await page.focus('#piano-roll');
  await page.keyboard.press('0');
  assert.equal(await shown(page), whole);
  assert.equal(await page.isDisabled('#zoom-whole'), true);
  // Ctrl and the wheel at the lane's left edge: the start stays where it was.
  await page.hover('#chord-lane', { position: { x: 1, y: 10 } });
  await page.keyboard.down('Control');
  await page.mouse.wheel(0, -100);
  await page.keyboard.up('Control');
  await page.waitForFunction((w) => document.getElementById('zoom-text').textContent !== w, whole);
  assert.equal(await shown(page), 'Showing 0:00 to 0:36 of 1:11');
  await page.focus('#chord-lane');
  await page.keyboard.press('+');
  await page.keyboard.press('+');
  assert.equal(await shown(page), 'Showing 0:00 to 0:08 of 1:11');

  await page.click('#play-button');
  await page.waitForFunction(() => !document.getElementById('stop-button').disabled);
  await page.evaluate(() => window.tunedeckHooks.advance(40000));
  const [start, end] = (await shown(page)).match(/(\d+:\d\d) to (\d+:\d\d)/).slice(1)
    .map((t) => t.split(':').reduce((m, s) => m * 60 + Number(s), 0));
  assert.ok(start <= 40 && 40 <= end, `40 s in ${start}-${end}`);
  assert.deepEqual(page.errors, []);
  await page.close();
});
