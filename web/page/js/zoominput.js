// The zoom's inputs on the roll and the chord lane alike: Ctrl (or Cmd) and the wheel zoom
// about the pointer, the wheel sideways or with Shift moves along; +, - and 0 zoom in, out
// and to the whole piece while the canvas has focus.
import { ZoomStep } from './timeview.js';

// msAt(clientX): the time under the pointer; onZoom gets the page's zoom request.
export function wireZoom(canvas, msAt, onZoom) {
  canvas.addEventListener('wheel', (e) => {
    if (e.ctrlKey || e.metaKey) {
      e.preventDefault();
      // A wheel's notch (100 pixels, or 3 lines) is a step; a touchpad's pinch sends many small ones.
      const pixels = e.deltaMode === WheelEvent.DOM_DELTA_LINE ? e.deltaY * 33 : e.deltaY;
      const notches = Math.max(-3, Math.min(3, -pixels / 100));
      if (notches !== 0) onZoom({ factor: ZoomStep ** notches, anchorMs: msAt(e.clientX) });
      return;
    }
    const along = e.deltaX !== 0 ? e.deltaX : e.shiftKey ? e.deltaY : 0;
    if (along === 0) return;
    e.preventDefault();
    onZoom({ panShare: Math.sign(along) * 0.2 });
  }, { passive: false });
  canvas.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.metaKey || e.altKey) return;
    const request = e.key === '+' || e.key === '=' ? { factor: ZoomStep }
      : e.key === '-' ? { factor: 1 / ZoomStep } : e.key === '0' ? { whole: true } : null;
    if (!request) return;
    e.preventDefault();
    onZoom(request);
  });
}
