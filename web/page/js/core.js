// The core, compiled to WebAssembly: one instance for the page, holding the one engine the
// page analyses and plays with (a LinkedTonalyte on the page's clock), its calls made one at a
// time from this thread.
import createTunedeck from '../tunedeck.mjs';

let instance = null;

export async function loadCore() {
  if (!instance) instance = await createTunedeck();
  return instance;
}

export function core() {
  return instance;
}

export const Notations = ['Standard', 'Camelot', 'Open Key', 'German'];

// Tonalyte's names ("C Major") and the profile analysis' ("C major") in the notation chosen.
export function keyName(code, notation) {
  return instance.keyName(code, notation);
}

// key: the profile analysis' {keyCode, name}; the name, a score's spelling for a score, is
// the standard notation's.
export function profileKeyName(key, notation) {
  return notation === 0 ? key.name : instance.profileKeyName(key.keyCode, notation);
}
