#!/usr/bin/python3
"""The figured accompaniment's settings held out: a grid of them chosen on four groups of the
art songs' composers and scored on the fifth.

No training piece has that texture, so the settings are chosen on the corpus' songs; this
measures what that choice is worth on songs it did not see.

    tools/chordscore/cv_figured.py build/bin/tunedeck-chordscore ../shared/corpus/wir
"""
import csv
import itertools
import subprocess
import sys
import tempfile
from collections import defaultdict
from statistics import mean

GRID = {
    "--figured-change": [0.5, 1.0, 1.5, 2.0],
    "--figured-key-weight": [0.3, 0.6, 0.9, 1.2],
    "--figured-inversion-share": [0.6],
    "--figured-seventh": [0.75, 1.5, 2.25],
}
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


def main(tool, corpus):
    points = list(itertools.product(*GRID.values()))
    runs = {}
    for p in points:
        args = [str(a) for pair in zip(GRID, p) for a in pair]
        runs[p] = songs(tool, corpus, args)
    plain = songs(tool, corpus, ["--no-figured"])
    files = sorted(plain)
    held = {}
    for fold in composer_folds(files):
        inside = [f for f in files if f not in fold]
        best = max(points, key=lambda p: mean(sum(runs[p][f]) for f in inside))
        print("fold of", len(fold), "songs chose", dict(zip(GRID, best)))
        held.update({f: runs[best][f] for f in fold})
    built = songs(tool, corpus, [])
    for name, figures in (("without the figured settings", plain), ("held out", held), ("as built", built)):
        print(f"{name:30} root {100 * mean(figures[f][0] for f in files):.1f}"
              f"  roman {100 * mean(figures[f][1] for f in files):.1f}  ({len(files)} songs)")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
