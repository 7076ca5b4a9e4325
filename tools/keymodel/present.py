"""The present models (the profile analysis' local keys, the chords per beat, as built) scored
per beat frame exactly as train.py scores the network, so the two stand side by side. As built,
so their fitted tables have seen every file: a little in their favour.

    build-python/venv/bin/python tools/keymodel/present.py [--shared ../shared]
"""

import argparse
import json
import sys
from pathlib import Path

import numpy as np

import tunedeck

sys.path.insert(0, str(Path(__file__).resolve().parent))
import dataset  # noqa: E402
import train  # noqa: E402


def at(segments, middles, none):
    """The value of the (start, end, value) segment at each middle tick, `none` outside them."""
    out = [none] * len(middles)
    for start, end, value in segments:
        for i in np.nonzero((middles >= start) & (middles < end))[0]:
            out[i] = value
    return out


def scores(p, folder):
    a = tunedeck.analyse(folder / p["file"])
    middles = (p["start"] + p["end"]) // 2
    keys = np.array(at(a._run.profile["regions"], middles, -1))
    key = np.where(keys >= 0, [dataset.key_class(k) if k >= 0 else -1 for k in keys], -1)
    out = {"set": p["set"], "file": p["file"], "nregions": p["nregions"]}
    mask = (p["key"] >= 0) & p["sounding"]
    out["key"] = float((key == p["key"])[mask].mean()) if mask.any() else None
    out["global"] = float(dataset.key_class(a._run.profile["key_code"]) == dataset.key_class(p["keycode"]))
    parsed = at([(c.tick, c.end_tick, dataset.parse_label(c.label)) for c in a.chords], middles,
                (dataset.NO_CHORD, -1, -1))
    root, quality, bass = (np.array([c[i] for c in parsed]) for i in range(3))
    out.update(train.chord_scores(p, root, quality, bass))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--shared", type=Path, default=Path(__file__).resolve().parents[3] / "shared")
    parser.add_argument("--cache", type=Path, default=Path("/tmp/keymodel-frames.npz"))
    parser.add_argument("--scores", type=Path, help="train.py's scores: the present models on its held-out files only")
    args = parser.parse_args()
    pieces = [p for p in dataset.read(args.cache) if p["set"] in train.CORPUS]
    if args.scores:
        network = json.loads(args.scores.read_text())["rows"]
        held = {(r["set"], r["file"]) for r in network}
        pieces = [p for p in pieces if (p["set"], p["file"]) in held]
        print(f"the network, outer folds {sorted({r['fold'] for r in network})}:")
        print(train.summary(network))
        print("the present models on the same files:")
    print(train.summary([scores(p, args.shared / p["set"]) for p in pieces]))


if __name__ == "__main__":
    sys.exit(main())
