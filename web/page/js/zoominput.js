// The zoom's inputs on the roll and the chord lane alike: Ctrl (or Cmd) and the wheel zoom
// about the pointer, the wheel sideways or with Shift moves along; +, - and 0 zoom in, out
// and to the whole piece while the canvas has focus.
import { ZoomStep } from './timeview.js';

// msAt(clientX): the time under the pointer; onZoom gets the page's zoom request.
export function wireZoom(canvas, msAt, onZoom) {
  canvas.addEventListener('wheel', (e) => {
    if (e.ctrlKey || e.metaKey) {
      e.preventDefault();
      if (e.deltaY !== 0) onZoom({ factor: e.deltaY < 0 ? ZoomStep : 1 / ZoomStep, anchorMs: msAt(e.clientX) });
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
