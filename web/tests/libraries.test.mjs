// The page's XML and zip libraries, built by emscripten from Debian's sources, linked as the page
// links them: zips made here by node's own deflate read back, damaged ones refused with
// minizip's reason, documents parsed by pugixml.
import { before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { zipFile } from './zip.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const build = path.resolve(process.env.TUNEDECK_WEB_BUILD ?? path.join(repo, 'build-web'));
let check;
before(async () => {
  const { default: create } = await import(path.join(build, 'bin/tunedeck_score_check.mjs'));
  check = await create({ wasmBinary: fs.readFileSync(path.join(build, 'bin/tunedeck_score_check.wasm')) });
});

const score = '<?xml version="1.0" encoding="UTF-8"?>\n<score-partwise><part id="P1"><measure number="1">'
  + '<note><pitch><step>F</step><alter>1</alter><octave>4</octave></pitch></note></measure></part></score-partwise>';
const long = `<a>${'<text>Ab major, then Db major. </text>'.repeat(400)}</a>`;
const entries = [
  { name: 'META-INF/container.xml', data: '<container/>', method: 0 },
  { name: 'score.xml', data: score, method: 8 },
  { name: 'long.xml', data: long, method: 8 },
];

// Each row: how the zip is made or damaged, the entry asked for, minizip's code and the text.
const zips = [
  { what: 'a stored entry', zip: () => zipFile(entries), entry: 'META-INF/container.xml', code: 0, text: '<container/>' },
  { what: 'a deflated entry', zip: () => zipFile(entries), entry: 'score.xml', code: 0, text: score },
  { what: 'a deflated entry past one read', zip: () => zipFile(entries), entry: 'long.xml', code: 0, text: long },
  { what: 'an entry not there', zip: () => zipFile(entries), entry: 'other.xml', code: -100, text: '' },
  { what: 'a wrong checksum', zip: () => zipFile(entries, { crcOff: 1 }), entry: 'score.xml', code: -105, text: '' },
  { what: 'cut before its directory', zip: () => zipFile(entries).subarray(0, 60), entry: 'score.xml', code: -103, text: '' },
  { what: 'no zip at all', zip: () => new TextEncoder().encode(score), entry: 'score.xml', code: -103, text: '' },
];

for (const row of zips) {
  test(`zip: ${row.what}`, () => {
    assert.deepEqual(check.unzipEntry(row.zip(), row.entry), { code: row.code, text: row.text });
  });
}

const utf16 = (text) => Uint8Array.from([0xff, 0xfe, ...new Uint8Array(Buffer.from(text, 'utf16le'))]);
const entityBomb = '<?xml version="1.0"?>\n<!DOCTYPE a [<!ENTITY x "xxxxxxxxxx"><!ENTITY y "&x;&x;&x;&x;&x;">]>\n'
  + '<a><text>&y;</text></a>';

// Each row: the bytes and what pugixml makes of them.
const documents = [
  { what: 'a score', bytes: new TextEncoder().encode(score),
    expected: { ok: true, description: 'No error', root: 'score-partwise', elements: 8, text: '' } },
  { what: 'UTF-16 with its mark', bytes: utf16('<a><text>Fis – F♯</text></a>'),
    expected: { ok: true, description: 'No error', root: 'a', elements: 2, text: 'Fis – F♯' } },
  { what: 'entities declared in its DTD, left unexpanded', bytes: new TextEncoder().encode(entityBomb),
    expected: { ok: true, description: 'No error', root: 'a', elements: 2, text: '&y;' } },
  { what: 'mismatched tags', bytes: new TextEncoder().encode('<a><b></a>'),
    expected: { ok: false, description: 'Start-end tags mismatch' } },
  { what: 'cut short', bytes: new TextEncoder().encode(score.slice(0, score.indexOf('<measure'))),
    expected: { ok: false, description: 'Start-end tags mismatch' } },
  { what: 'no element', bytes: new TextEncoder().encode('<?xml version="1.0"?>'),
    expected: { ok: false, description: 'No document element found' } },
];

for (const row of documents) {
  test(`xml: ${row.what}`, () => {
    assert.deepEqual(check.parseXml(row.bytes), row.expected);
  });
}
