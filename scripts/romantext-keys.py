#!/usr/bin/python3
# The local keys of the RomanText tunedeck-detect writes against the shared sets' annotated
# local keys (localkeys.tsv), beside the JSON's local keys scored the same way; and the first
# key of each score spelled as its human analysis (.rntxt) spells it.
#   scripts/romantext-keys.py build/bin/tunedeck-detect
# Scored by tick time inside the annotated regions, files weighted equally (the RomanText's
# key holds from each chord where it is written to the next; the JSON's from each bar where
# it changes, in the default 4/4). Needs ../shared.
import json, pathlib, re, struct, subprocess, sys, tempfile
binary = sys.argv[1]
shared = pathlib.Path(__file__).resolve().parent.parent.parent / 'shared'
if not shared.is_dir():
    sys.exit(f'no shared data at {shared}')
NAT = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}

def code_of(tonic):  # "Bb" major, "f#" minor
    alter = tonic[1:]
    pc = (NAT[tonic[0].upper()] + alter.count('#') - alter.count('b') - alter.count('-')) % 12
    return (60 if tonic[0].islower() else 160) + pc

def regions(tsv):
    out = {}
    for line in open(tsv, encoding='utf-8').read().splitlines()[1:]:
        f = line.split('\t')
        out.setdefault(pathlib.Path(f[0]).stem, []).append((int(f[1]), int(f[2]), int(f[3])))
    return out

def share(timeline, annotated):  # timeline: [(tick, code)] in order
    right = total = 0
    for start, end, code in annotated:
        total += end - start
        points = [(t, c) for t, c in timeline]
        for i, (t, c) in enumerate(points):
            u = points[i + 1][0] if i + 1 < len(points) else max(end, t)
            lo, hi = max(t, start), min(u, end)
            if hi > lo and c == code:
                right += hi - lo
    return right / total if total else None

def romantext_keys(text, chords):
    # The i-th chord written is the i-th chord of the JSON that has a numeral or is none.
    ticks = [c['tick'] for c in chords if c['symbol'] == 'N.C.' or c['roman']]
    timeline, i = [], 0
    for line in text.splitlines():
        if not re.match(r'^m\d', line):
            continue
        for word in line.split()[1:]:
            if re.match(r'^b\d', word):
                continue
            if word.endswith(':'):
                timeline.append((ticks[i], code_of(word[:-1])))
            else:
                i += 1
    return timeline

def score(files, annotations, tpq_of, out):
    subprocess.run([binary, '-j', '2', '--write-rntxt', out, *files], capture_output=True)
    objects = json.loads(subprocess.run([binary, '--json', '-j', '2', *files], capture_output=True).stdout)
    rn, js, firsts = [], [], []
    for f, o in zip(files, objects):
        stem = pathlib.Path(f).stem
        doc = pathlib.Path(out) / (stem + '.rntxt')
        if stem not in annotations or not doc.exists():
            continue
        text = doc.read_text(encoding='utf-8')
        r = share(romantext_keys(text, o.get('chords', [])), annotations[stem])
        bar = 4 * tpq_of(f)
        changes = (o.get('profileAnalysis') or {}).get('localKeyChanges') or []
        j = share([((c['bar'] - 1) * bar, c['keyCode']) for c in changes], annotations[stem])
        if r is not None and j is not None:
            rn.append(r)
            js.append(j)
        firsts.append((f, text))
    return rn, js, firsts

def midi_tpq(path):
    return struct.unpack('>H', open(path, 'rb').read(14)[12:14])[0]

def human_first(path):
    for line in open(path, encoding='utf-8', errors='replace'):
        if re.match(r'^m\d', line):
            for tok in line.split()[1:]:
                m = re.match(r'^([A-Ga-g][#b-]*):$', tok)
                if m:
                    return m.group(1).replace('-', 'b')
    return None

with tempfile.TemporaryDirectory() as work:
    for name, scores, midis, tsv in (('corpus wir', 'scores/corpus-wir', 'corpus/wir', 'corpus/wir/localkeys.tsv'),
                                     ('training wir', 'scores/training-wir', 'training/wir', 'training/wir/localkeys.tsv')):
        annotations = regions(shared / tsv)
        for kind, folder, ext, tpq in (('scores', scores, '*.mxl', lambda f: 480), ('MIDI', midis, '*.mid', midi_tpq)):
            files = sorted(str(p) for p in (shared / folder).glob(ext))
            out = pathlib.Path(work) / name.replace(' ', '-') / kind
            rn, js, firsts = score(files, annotations, tpq, str(out))
            print(f'{name}, {kind}: {len(rn)} files, local keys: RomanText {100 * sum(rn) / len(rn):.1f} %, '
                  f'JSON {100 * sum(js) / len(js):.1f} %')
            if kind != 'scores':
                continue
            right = spelled = 0
            for f, text in firsts:
                human = human_first(f.replace('.mxl', '.rntxt'))
                ours = next((w[:-1] for l in text.splitlines() if re.match(r'^m\d', l)
                             for w in l.split()[1:] if w.endswith(':')), None)
                if human and ours and code_of(human) == code_of(ours):
                    right += 1
                    spelled += human == ours
            print(f'  first key right {right}, spelled as the analysis {spelled} ({100 * spelled / max(right, 1):.1f} %)')
