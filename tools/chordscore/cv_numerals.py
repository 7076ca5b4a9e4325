#!/usr/bin/python3
"""The numerals' settings held out: the bass line's first onset and passing share, and a figured
accompaniment's cost of a change of the numerals' key, chosen on four groups of the art songs'
composers by their roman and scored on the fifth.

    tools/chordscore/cv_numerals.py build/bin/tunedeck-chordscore ../shared/corpus/wir
"""
import itertools
import sys
from statistics import mean

from cv_figured import composer_folds, songs

GRID = {
    "--first-bass": [0.0, 0.5, 1.0, 2.0],
    "--figured-numeral-change": [2.0, 3.0, 4.0],
    "--passing-bass": [0.0, 0.25],
}


def main(tool, corpus):
    points = list(itertools.product(*GRID.values()))
    runs = {p: songs(tool, corpus, [str(a) for pair in zip(GRID, p) for a in pair]) for p in points}
    plain = songs(tool, corpus, ["--no-bass-line", "--first-bass", "0", "--figured-numeral-change", "2"])
    files = sorted(plain)
    held = {}
    for fold in composer_folds(files):
        inside = [f for f in files if f not in fold]
        best = max(points, key=lambda p: mean(runs[p][f][1] for f in inside))
        print("fold of", len(fold), "songs chose", dict(zip(GRID, best)))
        held.update({f: runs[best][f] for f in fold})
    built = songs(tool, corpus, [])
    for name, figures in (("before", plain), ("held out", held), ("as built", built)):
        print(f"{name:10} root {100 * mean(figures[f][0] for f in files):.1f}"
              f"  roman {100 * mean(figures[f][1] for f in files):.1f}  ({len(files)} songs)")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
