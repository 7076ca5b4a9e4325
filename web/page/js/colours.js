// The key map's colours, as the desktop paints them: a hue for each place on the circle of
// fifths (C major red, a twelfth round for each fifth), every other place darker; minor keys
// paler with a darker hatch.
import { core } from './core.js';

const cache = new Map();

export function keyFill(code) {
  if (cache.has(code)) return cache.get(code);
  const { place, major } = core().keyColourPlace(code);
  let fill = null;
  if (place >= 0) {
    const hue = 25 + 30 * place;
    const lightness = place % 2 === 0 ? 0.78 : 0.68;
    fill = major
      ? { base: `oklch(${lightness} 0.13 ${hue})`, hatch: null }
      : { base: `oklch(${lightness + 0.08} ${0.13 * 0.8} ${hue})`, hatch: `oklch(${lightness - 0.22} 0.13 ${hue})` };
  }
  cache.set(code, fill);
  return fill;
}

// A pattern of diagonal lines for a minor key's stretch.
export function fillStyle(ctx, fill) {
  if (!fill.hatch) return fill.base;
  const tile = document.createElement('canvas');
  tile.width = tile.height = 8;
  const t = tile.getContext('2d');
  t.fillStyle = fill.base;
  t.fillRect(0, 0, 8, 8);
  t.strokeStyle = fill.hatch;
  t.lineWidth = 1.5;
  t.beginPath();
  t.moveTo(-2, 10); t.lineTo(10, -2);
  t.moveTo(-2, 2); t.lineTo(2, -2);
  t.moveTo(6, 10); t.lineTo(10, 6);
  t.stroke();
  return ctx.createPattern(tile, 'repeat');
}

export function cssVar(name) {
  return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
}
