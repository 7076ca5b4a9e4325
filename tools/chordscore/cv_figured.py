#!/usr/bin/python3
"""The art songs' own settings held out: a grid of them chosen on four groups of the songs'
composers and scored on the fifth.

No training piece has a figured accompaniment, so its settings are chosen on the corpus'
songs; this measures what that choice is worth on songs it did not see. `chromatic` chooses
the key weight of voices moving off the scale with no figuration the same way.

    tools/chordscore/cv_figured.py build/bin/tunedeck-chordscore ../shared/corpus/wir [chromatic]
"""
import csv
import itertools
import subprocess
import sys
import tempfile
from collections import defaultdict
from statistics import mean

GRIDS = {
    "figured": {
        "--figured-change": [0.5, 1.0, 1.5, 2.0],
        "--figured-key-weight": [0.3, 0.6, 0.9, 1.2],
        "--figured-inversion-share": [0.6],
        "--figured-seventh": [0.75, 1.5, 2.25],
    },
    "chromatic": {
        "--chromatic-key-weight": [0.3, 0.45, 0.6, 0.75, 0.9],
    },
}
# What each grid is measured against: the songs read without those settings.
WITHOUT = {"figured": ["--no-figured"], "chromatic": ["--chromatic-key-weight", "0.3"]}
FOLDS = 5


def songs(tool, corpus, extra):
    """Each art song's root and roman under the given options."""
    with tempfile.NamedTemporaryFile(suffix=".tsv") as out:
        subprocess.run([tool, "--no-speed", "--per-file", out.name, *extra, corpus],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out.name, newline="") as f:
            rows = csv.DictReader(f, delimiter="\t")
            return {r["file"]: (float(r["root"]), float(r["roman"]))
                    for r in rows if r["file"].startswith("Lieder-") and r["roman"] != "-"}


def composer_folds(files):
    """Composers dealt to the folds, the largest first, so no composer is on both sides."""
    by = defaultdict(list)
    for f in files:
        by[f.split("-")[1]].append(f)
    folds = [[] for _ in range(FOLDS)]
    for _, fs in sorted(by.items(), key=lambda kv: (-len(kv[1]), kv[0])):
        min(folds, key=len).extend(fs)
    return folds


def main(tool, corpus, name):
    grid = GRIDS[name]
    points = list(itertools.product(*grid.values()))
    runs = {}
    for p in points:
        args = [str(a) for pair in zip(grid, p) for a in pair]
        runs[p] = songs(tool, corpus, args)
    plain = songs(tool, corpus, WITHOUT[name])
    files = sorted(plain)
    held = {}
    for fold in composer_folds(files):
        inside = [f for f in files if f not in fold]
        best = max(points, key=lambda p: mean(sum(runs[p][f]) for f in inside))
        print("fold of", len(fold), "songs chose", dict(zip(grid, best)))
        held.update({f: runs[best][f] for f in fold})
    built = songs(tool, corpus, [])
    for label, figures in ((f"without the {name} settings", plain), ("held out", held), ("as built", built)):
        print(f"{label:30} root {100 * mean(figures[f][0] for f in files):.1f}"
              f"  roman {100 * mean(figures[f][1] for f in files):.1f}  ({len(files)} songs)")


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["chromatic"]):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else "figured")
