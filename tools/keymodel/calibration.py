"""How well the network's local-key probabilities say how often its key is right, on the outer
folds' held-out files (the fold models train.py --save kept): per set, frames with a note and a
key label, each file weighing the same, the calibration error over tenths of the probability
(each tenth's mean probability against its share right, weighted by its share of the weight).

    build-python/venv/bin/python tools/keymodel/calibration.py --folds-dir /tmp/keymodel-folds
"""

import argparse
import sys
from pathlib import Path

import numpy as np
import torch

sys.path.insert(0, str(Path(__file__).resolve().parent))
import dataset  # noqa: E402
import train  # noqa: E402
from network import KeyHarmonyNet  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cache", type=Path, default=Path("/tmp/keymodel-frames.npz"))
    parser.add_argument("--folds-dir", type=Path, required=True)
    parser.add_argument("--folds", type=int, default=5)
    parser.add_argument("--seed", type=int, default=33)
    args = parser.parse_args()
    torch.set_num_threads(2)
    pieces = dataset.read(args.cache)
    folds = train.folds_of(pieces, args.folds, args.seed)
    by_set = {}
    for f, held in enumerate(folds):
        path = args.folds_dir / f"fold{f}.pt"
        if not path.exists():
            continue
        state = torch.load(path)
        model = KeyHarmonyNet(state["conv1.weight"].shape[0], state["gru.weight_hh_l0"].shape[1])
        model.load_state_dict(state)
        for p in pieces:
            name = next((n for n, chosen_set in SETS if chosen_set(p)), None)
            if p["group"] not in held or name is None:
                continue
            mask = (p["key"] >= 0) & p["sounding"]
            if not mask.any():
                continue
            prob = train.predict(model, p)["key"][mask]
            chosen = prob.argmax(1)
            by_set.setdefault(name, []).append((prob.max(1), chosen == p["key"][mask]))
    for name, files in by_set.items():
        confidence = np.concatenate([c for c, _ in files])
        right = np.concatenate([r for _, r in files]).astype(float)
        weight = np.concatenate([np.full(len(c), 1 / len(c)) for c, _ in files])
        bins = np.minimum((confidence * 10).astype(int), 9)
        error = sum(abs(np.average(confidence[bins == b], weights=weight[bins == b])
                        - np.average(right[bins == b], weights=weight[bins == b])) * weight[bins == b].sum()
                    for b in range(10) if (bins == b).any()) / weight.sum()
        print(f"{name}: {len(files)} files, mean probability {100 * np.average(confidence, weights=weight):.1f} %, "
              f"right {100 * np.average(right, weights=weight):.1f} %, calibration error {100 * error:.1f} points")


SETS = [("pop909", lambda p: p["set"] == "corpus/pop909"), ("bach chorales", lambda p: p["set"] == "corpus/bach"),
        ("wir songs", lambda p: p["set"] == "corpus/wir" and p["file"].startswith("Lieder-")),
        ("wir textbook examples", lambda p: p["set"] == "corpus/wir" and not p["file"].startswith("Lieder-"))]

if __name__ == "__main__":
    sys.exit(main())
