// The score reader as the page links it: scores made here read, damaged and hostile ones
// refused in words (the reader refuses by throwing inside and catching at its edge, which a
// module built without exceptions would turn into an abort).
import { before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { compressed, keyMeasures, scoreXml } from './score.mjs';
import { zipFile } from './zip.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const build = path.resolve(process.env.TUNEDECK_WEB_BUILD ?? path.join(repo, 'build-web'));
let check;
before(async () => {
  const { default: create } = await import(path.join(build, 'bin/tunedeck_score_check.mjs'));
  check = await create({ wasmBinary: fs.readFileSync(path.join(build, 'bin/tunedeck_score_check.wasm')) });
});

const text = (s) => new TextEncoder().encode(s);
const inD = scoreXml(keyMeasures(62), { fifths: 2 });
// Cut before its third bar: pugixml stops at the last byte there is.
const cut = inD.slice(0, inD.indexOf('<measure number="3"'));
const repeated = scoreXml(keyMeasures(62), { fifths: 2, repeat: { from: 0, to: 3 } });
// Four bars of 4/4 at 480 ticks a quarter; 16 scale notes and four triads.
const read = { looksLikeScore: true, reason: '', parts: 1, notes: 28, endTick: 7680, midiHeader: 'MThd' };

// A compressed score whose root file unpacks past the reader's 64 MiB, its size told or hidden.
const bomb = (claimed) => zipFile([
  { name: 'META-INF/container.xml', data: '<container><rootfiles><rootfile full-path="a.xml"/></rootfiles></container>' },
  { name: 'a.xml', data: new Uint8Array((64 << 20) + 1), claimed },
]);
const tooBig = 'the compressed score\'s entry a.xml unpacks to more than 64 MiB';

// Each row: the bytes, whether repeats are played, what the reader makes of them.
const rows = [
  { what: 'a score', bytes: text(inD), unfold: false, expected: read },
  { what: 'the score compressed', bytes: compressed(inD), unfold: false, expected: read },
  { what: 'repeats as written once', bytes: text(repeated), unfold: false, expected: read },
  { what: 'repeats played', bytes: text(repeated), unfold: true, expected: { ...read, notes: 56, endTick: 15360 } },
  { what: 'cut short', bytes: text(cut), unfold: false,
    expected: { looksLikeScore: true, reason: `it is not well-formed XML (Start-end tags mismatch at byte ${cut.length - 1})` } },
  // Told apart as no score (a score's DOCTYPE has no internal subset), and refused as one.
  { what: 'entities in its DOCTYPE', bytes: text(inD.replace('<score-partwise', '<!DOCTYPE score-partwise [<!ENTITY a "aaaa">]>\n<score-partwise')),
    unfold: false, expected: { looksLikeScore: false, reason: 'it declares entities in its DOCTYPE, which are not read' } },
  { what: 'a compressed score without its root file', bytes: zipFile([{ name: 'META-INF/container.xml', data: '<container/>' }]),
    unfold: false, expected: { looksLikeScore: true, reason: 'the compressed score\'s META-INF/container.xml names no root file' } },
  { what: 'a damaged compressed score', bytes: compressed(inD).subarray(0, 200), unfold: false,
    expected: { looksLikeScore: true, reason: 'it is a damaged zip archive' } },
  { what: 'an entry too large', bytes: bomb(), unfold: false, expected: { looksLikeScore: true, reason: tooBig } },
  // minizip unpacks no more than the directory says, and the checksum then fails.
  { what: 'an entry too large, its size understated', bytes: bomb(1000), unfold: false,
    expected: { looksLikeScore: true, reason: 'the compressed score\'s entry a.xml is damaged' } },
  { what: 'no score at all', bytes: text('<html><body/></html>'), unfold: false,
    expected: { looksLikeScore: false, reason: 'it is no MusicXML score (its first element is <html>)' } },
];

for (const row of rows) {
  test(`score: ${row.what}`, () => {
    assert.deepEqual(check.readScore(row.bytes, row.unfold), row.expected);
  });
}
