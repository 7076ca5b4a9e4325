#!/usr/bin/python3
"""Fits the weights of a downbeat's evidence (BarWeights) on a set's annotated downbeats.

A logistic regression of whether a beat is a downbeat on its evidence and that of the three
beats either side, then the shift cost
chosen by the bars' recall and precision; grouped by song, each fold's figures from weights
fitted on the others:
    fit_bar_evidence.py build/bin/tunedeck-chordscore /work/shared/training/pop909
"""
import csv
import subprocess
import sys
import tempfile

import numpy as np

SHIFTS = [3, 5, 8, 12]
FOLDS = 5
L2 = 1.0
REACH = 3


def read_features(tool, folder):
    with tempfile.NamedTemporaryFile(suffix=".tsv") as out:
        subprocess.run([tool, "--no-speed", folder, "--bar-features", out.name], check=True,
                       stdout=subprocess.DEVNULL)
        rows = list(csv.DictReader(open(out.name), delimiter="\t"))
    evidence = [k for k in rows[0] if k.startswith("e")]
    names = [r["file"] for r in rows]
    x = around(np.array([[float(r[k]) for k in evidence] for r in rows]), names)
    y = np.array([int(r["downbeat"]) for r in rows])
    return x, y, names, [r["group"] for r in rows]


def around(x, names):
    """Each beat's evidence beside that of the beats from REACH before to REACH after, in its file."""
    names = np.array(names)
    parts = []
    for d in range(-REACH, REACH + 1):
        shifted = np.zeros_like(x)
        index = np.arange(len(x)) + d
        inside = (index >= 0) & (index < len(x))
        inside[inside] &= names[index[inside]] == names[inside]
        shifted[inside] = x[index[inside]]
        parts.append(shifted)
    return np.hstack(parts)


def logistic(x, y):
    """Weights without the bias: the tracker takes each file's mean off anyway."""
    x1 = np.hstack([x, np.ones((len(x), 1))])
    w = np.zeros(x1.shape[1])
    for _ in range(25):
        p = 1 / (1 + np.exp(-x1 @ w))
        h = x1.T @ (x1 * (p * (1 - p))[:, None]) + L2 * np.eye(len(w))
        step = np.linalg.solve(h, x1.T @ (y - p) - L2 * w)
        w += step
        if np.abs(step).max() < 1e-8:
            break
    return w[:-1]


def bars(tool, folder, weights, shift):
    """Each file's bar recall and precision with these weights."""
    with tempfile.NamedTemporaryFile(suffix=".tsv") as out:
        subprocess.run([tool, "--no-speed", folder, "--per-file", out.name, "--bar-shift", str(shift),
                        "--bar-evidence", ",".join(f"{v:.6g}" for v in weights)], check=True,
                       stdout=subprocess.DEVNULL)
        return {r["file"]: (float(r["bar_recall"] or "nan"), float(r["bar_precision"] or "nan"))
                for r in csv.DictReader(open(out.name), delimiter="\t")}


def mean(figures, files):
    values = np.array([figures[f] for f in files if f in figures])
    return np.nanmean(values, axis=0)


def main():
    tool, folder = sys.argv[1], sys.argv[2]
    x, y, names, groups = read_features(tool, folder)
    songs = sorted(set(groups))
    fold_of_song = {g: i % FOLDS for i, g in enumerate(songs)}
    fold = np.array([fold_of_song[g] for g in groups])
    file_fold = {n: fold_of_song[g] for n, g in zip(names, groups)}
    held = {}
    for k in range(FOLDS):
        w = logistic(x[fold != k], y[fold != k])
        inside = [f for f, i in file_fold.items() if i != k]
        outside = [f for f, i in file_fold.items() if i == k]
        runs = {s: bars(tool, folder, w, s) for s in SHIFTS}
        best = max(SHIFTS, key=lambda s: mean(runs[s], inside).sum())
        held.update({f: runs[best][f] for f in outside if f in runs[best]})
        print(f"fold {k}: shift {best}, weights {' '.join(f'{v:.3f}' for v in w)}, held out "
              f"{100 * mean(runs[best], outside)[0]:.1f} / {100 * mean(runs[best], outside)[1]:.1f}")
    r, p = mean(held, list(held))
    print(f"held out: recall {100 * r:.1f}, precision {100 * p:.1f}")
    w = logistic(x, y)
    runs = {s: bars(tool, folder, w, s) for s in SHIFTS}
    best = max(SHIFTS, key=lambda s: mean(runs[s], list(file_fold)).sum())
    print(f"all: shift {best}, weights {','.join(f'{v:.3f}' for v in w)}")


if __name__ == "__main__":
    main()
