// The stretch of the piece the roll and the chord lane show together, {startMs, spanMs}: the
// whole piece, or a zoom into it. Pure arithmetic, shared by the actions and the drawing.

// The narrowest view: a second or so, where a beat's chord is wide enough to name.
export const MinSpanMs = 1000;
export const ZoomStep = 2;

export const wholeView = (endMs) => ({ startMs: 0, spanMs: Math.max(1, endMs) });

function clamp(view, endMs) {
  const spanMs = Math.max(Math.min(MinSpanMs, endMs), Math.min(Math.max(1, endMs), view.spanMs));
  const startMs = Math.max(0, Math.min(endMs - spanMs, view.startMs));
  return { startMs, spanMs };
}

// factor > 1 zooms in; the time at anchorMs stays where it was on screen.
export function zoomView(view, endMs, factor, anchorMs) {
  const share = (anchorMs - view.startMs) / view.spanMs;
  const spanMs = view.spanMs / factor;
  return clamp({ startMs: anchorMs - share * spanMs, spanMs }, endMs);
}

export const panView = (view, endMs, deltaMs) => clamp({ ...view, startMs: view.startMs + deltaMs }, endMs);

// The view that shows ms: the same one while it does, else the next page with ms near its
// start (a play turns the pages as it goes), or near its end going back.
export function followView(view, endMs, ms) {
  const end = view.startMs + view.spanMs;
  if (ms >= view.startMs && ms <= end) return view;
  const lead = view.spanMs * 0.05;
  const startMs = ms > end ? ms - lead : ms - view.spanMs + lead;
  return clamp({ ...view, startMs }, endMs);
}

export const isWhole = (view, endMs) => view.startMs <= 0 && view.spanMs >= endMs;
export const xOf = (view, width, ms) => ((ms - view.startMs) / view.spanMs) * width;
export const msOf = (view, width, x) => view.startMs + (x / width) * view.spanMs;
