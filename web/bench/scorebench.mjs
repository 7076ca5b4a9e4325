// A score read and analysed in the page against the same piece as a MIDI file: 1,100 times
// midi.mjs's key piece (61,600 note events), as MusicXML and compressed, median of nine runs.
//   node web/bench/scorebench.mjs PAGE_DIR
import path from 'node:path';
import { start } from '../tests/browser.mjs';
import { keyPiece, midiFile } from '../tests/midi.mjs';
import { compressed, keyMeasures, scoreXml } from '../tests/score.mjs';
const measures = Array.from({ length: 1100 }, () => keyMeasures(60)).flat();
const xml = Buffer.from(scoreXml(measures));
const files = { midi: midiFile(keyPiece(60, 1100)), musicxml: xml, mxl: Buffer.from(compressed(xml.toString())) };
const b = await start(path.resolve(process.argv[2] ?? 'build-web/page'));
const page = await b.open();
for (const [name, buf] of Object.entries(files)) {
  const t = await page.evaluate((bytes) => {
    const data = new Uint8Array(bytes), core = window.tunedeckHooks.core, out = [];
    for (let i = 0; i < 9; ++i) { const t0 = performance.now(); const r = core.analyse(data, {}, 'f'); out.push(performance.now() - t0); if (!r.succeeded) throw new Error(r.refusal ?? r.outcome); }
    return out.sort((a, c) => a - c)[4];
  }, [...buf]);
  console.log(`${name} (${buf.length} bytes): median ${t.toFixed(1)} ms`);
}
await b.close();
