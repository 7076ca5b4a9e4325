#!/usr/bin/python3
# How often the first local key of a shared score is named as its human analysis (.rntxt)
# names it, of the scores whose first key is right (same tonic and mode).
#   scripts/first-key-spelling.py build/bin/tunedeck-detect RESULTS.json [how many misses to list]
# RESULTS.json is written by the first run and read by later ones.
import json, re, sys, subprocess, pathlib
binary, out = sys.argv[1], sys.argv[2]
root = pathlib.Path(__file__).resolve().parent.parent.parent / 'shared' / 'scores'
if not root.is_dir():
    sys.exit(f'no shared scores at {root}')
files = sorted(str(p) for d in ('corpus-wir', 'training-wir') for p in (root / d).glob('*.mxl'))
if not pathlib.Path(out).exists():
    r = subprocess.run([binary, '--json', '-j', '2', *files], capture_output=True, text=True)
    pathlib.Path(out).write_text(r.stdout)
res = json.loads(pathlib.Path(out).read_text())
NAT = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}
def human(path):
    for line in open(path.replace('.mxl', '.rntxt'), encoding='utf-8', errors='replace'):
        if re.match(r'^m\d', line):
            for tok in line.split()[1:]:
                m = re.match(r'^([A-Ga-g])([#b-]*):$', tok)
                if m:
                    step, acc = m.groups()
                    acc = acc.replace('-', 'b')
                    minor = step.islower()
                    return step.upper() + acc + (' minor' if minor else ' major')
    return None
def pcmode(name):
    tonic, mode = name.split(' ')
    pc = NAT[tonic[0]] + tonic.count('#') - tonic.count('b')
    return pc % 12, mode
right = spelled = 0; wrong = []
for r in res:
    h = human(r['file'])
    p = r.get('profileAnalysis') or {}
    ch = p.get('localKeyChanges') or []
    if not h or not ch: continue
    ours = ch[0]['key']
    if pcmode(ours) != pcmode(h): continue
    right += 1
    if ours == h: spelled += 1
    else: wrong.append((pathlib.Path(r['file']).name, ours, h))
print(f'files {len(res)}, first key right {right}, spelled as the analysis {spelled} ({100*spelled/max(right,1):.1f} %)')
for w in wrong[:int(sys.argv[3]) if len(sys.argv) > 3 else 0]: print(*w, sep='\t')
