// The key map on a canvas: one row per analysis, each stretch of one key in its colour,
// labelled where it fits; positions in bars (a fast run) or seconds (a play).
import { core, keyName } from './core.js';
import { cssVar, fillStyle, keyFill } from './colours.js';

const RowHeight = 30, AxisHeight = 18, Gap = 4;

// Sizes the canvas to its box at the screen's pixel ratio; returns the context in CSS pixels.
export function fitCanvas(canvas, height) {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, canvas.clientWidth);
  canvas.style.height = `${height}px`;
  canvas.width = Math.round(width * ratio);
  canvas.height = Math.round(height * ratio);
  const ctx = canvas.getContext('2d');
  ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  return { ctx, width, height };
}

// A stretch's label: the core's short name in standard notation (a score's keys as it
// writes them), else the notation's name.
export function stretchLabel(segment, notation) {
  return notation === 0 ? segment.label : keyName(segment.code, notation);
}

function segmentsOf(row) {
  const out = [];
  for (let i = 0; i + 3 < row.segments.length; i += 4) {
    const code = row.segments[i + 2];
    out.push({ first: row.segments[i], last: row.segments[i + 1], code, unsure: row.segments[i + 3] === 1,
      label: row.labels[i / 4] });
  }
  return out;
}

export function keysPresent(map) {
  const codes = new Set();
  for (const row of map?.rows ?? []) for (const s of segmentsOf(row)) if (keyFill(s.code)) codes.add(s.code);
  return [...codes].sort((a, b) => core().keyColourPlace(a).place - core().keyColourPlace(b).place || b - a);
}

// cursor: a position in the map's unit to mark (the play's), or null.
export function drawKeyMap(canvas, map, notation, cursor = null) {
  const rows = map?.rows ?? [];
  const height = Math.max(1, rows.length) * (RowHeight + Gap) + AxisHeight;
  const { ctx, width } = fitCanvas(canvas, height);
  ctx.clearRect(0, 0, width, height);
  ctx.font = '12px system-ui, sans-serif';
  ctx.textBaseline = 'middle';
  const fg = cssVar('--fg'), muted = cssVar('--muted'), line = cssVar('--line');
  if (!map || map.bars <= 0) {
    ctx.fillStyle = muted;
    ctx.fillText('No key map yet', 8, height / 2);
    return;
  }
  const titleWidth = Math.min(150, Math.max(70, width * 0.22));
  const plot = width - titleWidth - 4;
  const first = map.first, count = map.bars;
  const xOf = (pos) => titleWidth + ((pos - first) / count) * plot;
  rows.forEach((row, r) => {
    const y = r * (RowHeight + Gap);
    ctx.fillStyle = fg;
    ctx.fillText(row.title, 4, y + RowHeight / 2, titleWidth - 8);
    ctx.fillStyle = line;
    ctx.fillRect(titleWidth, y, plot, RowHeight);
    for (const s of segmentsOf(row)) {
      const fill = keyFill(s.code);
      if (!fill) continue;
      const x0 = xOf(s.first), x1 = xOf(s.last + 1);
      ctx.globalAlpha = s.unsure ? 0.55 : 1;
      ctx.fillStyle = fillStyle(ctx, fill);
      ctx.fillRect(x0, y, Math.max(1, x1 - x0), RowHeight);
      ctx.globalAlpha = 1;
      const label = stretchLabel(s, notation) + (s.unsure ? '?' : '');
      if (ctx.measureText(label).width + 6 < x1 - x0) {
        ctx.fillStyle = '#000';
        ctx.fillText(label, x0 + 3, y + RowHeight / 2);
      }
    }
  });
  // The axis: about eight labelled positions.
  const axisY = rows.length * (RowHeight + Gap) + AxisHeight / 2;
  const step = Math.max(1, Math.ceil(count / 8 / 4) * 4);
  ctx.fillStyle = muted;
  ctx.fillText(map.unit === 's' ? 's' : 'bar', 4, axisY);
  for (let p = first; p < first + count; p += step) ctx.fillText(String(p), xOf(p), axisY);
  if (cursor !== null && cursor >= first) {
    ctx.fillStyle = fg;
    ctx.fillRect(Math.min(width - 2, xOf(cursor)), 0, 2, rows.length * (RowHeight + Gap));
  }
}

export function fillLegend(element, map, notation) {
  element.replaceChildren(...keysPresent(map).map((code) => {
    const span = document.createElement('span');
    span.style.setProperty('--swatch', keyFill(code).base);
    span.textContent = keyName(code, notation);
    return span;
  }));
}

const LegendRow = 20, Swatch = 12;

// The key map as saved: the map as drawn on an opaque ground, and under it a legend of the
// keys it shows, each with its colour, so that the picture reads on its own.
export function keyMapPicture(canvas, map, notation) {
  const ratio = canvas.width / Math.max(1, canvas.clientWidth), width = canvas.clientWidth;
  const out = document.createElement('canvas');
  const ctx = out.getContext('2d');
  ctx.font = '12px system-ui, sans-serif';
  const items = [];
  let x = 4, y = 4;
  for (const code of keysPresent(map)) {
    const label = keyName(code, notation), w = Swatch + 4 + ctx.measureText(label).width + 14;
    if (x + w > width && x > 4) { x = 4; y += LegendRow; }
    items.push({ code, label, x, y });
    x += w;
  }
  const legend = items.length ? y + LegendRow : 0;
  out.width = canvas.width;
  out.height = canvas.height + Math.round(legend * ratio);
  ctx.fillStyle = cssVar('--card');
  ctx.fillRect(0, 0, out.width, out.height);
  ctx.drawImage(canvas, 0, 0);
  ctx.setTransform(ratio, 0, 0, ratio, 0, canvas.height);
  ctx.font = '12px system-ui, sans-serif';
  ctx.textBaseline = 'middle';
  for (const { code, label, x: left, y: top } of items) {
    ctx.fillStyle = fillStyle(ctx, keyFill(code));
    ctx.fillRect(left, top, Swatch, Swatch);
    ctx.fillStyle = cssVar('--fg');
    ctx.fillText(label, left + Swatch + 4, top + Swatch / 2);
  }
  return out;
}
