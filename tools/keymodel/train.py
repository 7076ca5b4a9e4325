"""A small multi-task network over beat frames: local key, chord root, quality and bass per frame,
trained with all twelve transpositions and scored by grouped cross-validation on the shared
corpus (the training sets are trained on in every fold, less the pieces grouped with a held-out
one). Figures come from the outer folds only; each fold stops early on an inner split of its
training groups.

    scripts/train-keymodel.sh                      # the frames, then --final: the committed model
    scripts/train-keymodel.sh --cross-validate     # the frames, then the figures of the outer folds
    build-python/venv/bin/python tools/keymodel/train.py [--final] [--folds 5] [--run-folds 0 1 2 3 4]

The network (network.py) reads each frame's notes and what the present models say there, and
starts each head from the present answer (its skip weights), so it learns where to leave it.
"""

import argparse
import json
import sys
import time
from pathlib import Path

import numpy as np
import torch
from torch import nn

sys.path.insert(0, str(Path(__file__).resolve().parent))
import dataset  # noqa: E402

from network import HEADS, INPUTS, PRESENT, KeyHarmonyNet  # noqa: E402

LOSS_WEIGHTS = {"key": 1.0, "root": 0.5, "quality": 0.5, "bass": 0.5}
CORPUS = ("corpus/pop909", "corpus/bach", "corpus/wir")
PENALTIES = (0.0, 2.0, 4.0, 8.0, 16.0)  # key change costs (log) tried on the inner split
# mir_eval's majmin: the triad of each quality, 0 major, 1 minor, -1 neither.
TRIAD = np.array([0, 1, -1, -1, 0, 0, 1, -1, -1, -1, -1, 0, 1])


def transpose(x, labels, k):
    """x and labels k semitones up: each 12-block of pitch classes rolled (the frame inputs, the
    present key's major and minor halves, its root, its bass), the classes moved with it."""
    x = x.copy()
    for b in (0, 12, 24, 36, 48, 60, 86):
        x[:, b:b + 12] = np.roll(x[:, b:b + 12], k, axis=1)
    out = {}
    key = labels["key"]
    out["key"] = np.where(key < 0, key, np.where(key < 12, (key + k) % 12, 12 + (key - 12 + k) % 12))
    root = labels["root"]
    out["root"] = np.where((root < 0) | (root == dataset.NO_CHORD), root, (root + k) % 12)
    out["quality"] = labels["quality"]
    bass = labels["bass"]
    out["bass"] = np.where(bass < 0, bass, (bass + k) % 12)
    return x, out


def crops(pieces, length, rng):
    """Random crops of `length` frames covering each piece about once, each in a random transposition."""
    out = []
    for p in pieces:
        n = len(p["x"])
        for _ in range(max(1, round(n / length))):
            s = rng.integers(0, max(1, n - length + 1))
            x, labels = transpose(p["x"][s:s + length], {h: p[h][s:s + length] for h in HEADS}, int(rng.integers(12)))
            out.append((x, labels))
    return out


def batches(items, size, rng):
    order = rng.permutation(len(items))
    for b in range(0, len(order), size):
        chosen = [items[i] for i in order[b:b + size]]
        n = max(len(x) for x, _ in chosen)
        x = np.zeros((len(chosen), n, INPUTS), np.float32)
        labels = {h: np.full((len(chosen), n), -1, np.int64) for h in HEADS}
        for i, (xi, li) in enumerate(chosen):
            x[i, :len(xi)] = xi
            for h in HEADS:
                labels[h][i, :len(xi)] = li[h]
        yield torch.from_numpy(x), {h: torch.from_numpy(v) for h, v in labels.items()}


def loss_of(outputs, labels):
    ce = nn.functional.cross_entropy
    total = 0
    for h, w in LOSS_WEIGHTS.items():
        if (labels[h] >= 0).any():
            total = total + w * ce(outputs[h].reshape(-1, HEADS[h]), labels[h].reshape(-1), ignore_index=-1)
    return total


@torch.no_grad()
def predict(model, piece):
    """Each head's probabilities over the whole piece, one pass."""
    model.eval()
    out = model(torch.from_numpy(np.ascontiguousarray(piece["x"], np.float32))[None])
    return {h: torch.softmax(v[0], -1).numpy() for h, v in out.items()}


def viterbi(prob, penalty):
    """The key path that pays `penalty` (log) a change: the frames' decisions, smoothed."""
    logp = np.log(prob + 1e-9)
    if penalty <= 0:
        return logp.argmax(1)
    score = logp[0].copy()
    back = np.zeros(logp.shape, np.int64)
    for t in range(1, len(logp)):
        best = int(score.argmax())
        moved = score[best] - penalty
        back[t] = np.where(score >= moved, np.arange(logp.shape[1]), best)
        score = np.maximum(score, moved) + logp[t]
    path = np.empty(len(logp), np.int64)
    path[-1] = int(score.argmax())
    for t in range(len(logp) - 1, 0, -1):
        path[t - 1] = back[t][path[t]]
    return path


def key_accuracy(model, pieces, penalty=0.0):
    """Frames of sounding time with a key label whose key is right, pieces weighted equally."""
    scores = []
    for p in pieces:
        mask = (p["key"] >= 0) & p["sounding"]
        if mask.any():
            scores.append(float((viterbi(predict(model, p)["key"], penalty) == p["key"])[mask].mean()))
    return float(np.mean(scores))


def inner_score(model, pieces):
    """What stopping watches: local key, root and majmin on the inner split, each a mean over its
    pieces, then their mean (so no task is left to drift while another still improves)."""
    rows = [piece_scores(model, p, 0.0) for p in pieces]
    return float(np.mean([np.mean([r[f] for r in rows if r[f] is not None]) for f in ("key", "root", "majmin")]))


def train_fold(train, val, args, seed):
    torch.manual_seed(seed)
    rng = np.random.default_rng(seed)
    model = KeyHarmonyNet(args.channels, args.hidden)
    optimiser = torch.optim.Adam(model.parameters(), lr=args.lr)
    best, best_state, waited, epoch_times = -1.0, None, 0, []
    for epoch in range(args.epochs):
        began = time.time()
        model.train()
        total = 0.0
        for x, labels in batches(crops(train, args.crop, rng), args.batch, rng):
            optimiser.zero_grad()
            loss = loss_of(model(x), labels)
            loss.backward()
            nn.utils.clip_grad_norm_(model.parameters(), 1.0)
            optimiser.step()
            total += float(loss)
        score = inner_score(model, val)
        epoch_times.append(time.time() - began)
        print(f"  epoch {epoch + 1}: loss {total:.1f}, inner {100 * score:.2f} %, {epoch_times[-1]:.1f} s", flush=True)
        # Gains under a tenth of a point are noise on the inner split: they do not reset the wait.
        if score > best + 1e-3:
            best, best_state, waited = score, {k: v.clone() for k, v in model.state_dict().items()}, 0
        else:
            waited += 1
            # Halve the step at the first stall, stop at the patience's end.
            for group in optimiser.param_groups:
                group["lr"] *= 0.5
            if waited >= args.patience:
                break
    model.load_state_dict(best_state)
    return model, epoch_times


def share(right, counted):
    """The share of the counted frames that are right; None with none counted."""
    return float(right[counted].mean()) if counted.any() else None


def chord_scores(p, root, quality, bass):
    """Per-frame chord figures of decided roots (12 for no chord), qualities and basses (-1 for
    none) against a piece's labels. majmin: annotated triads major or minor (sevenths by their
    triad) and no chord."""
    labelled = p["root"] >= 0
    ref_triad = np.where(p["root"] == dataset.NO_CHORD, 2, np.where(p["quality"] >= 0, TRIAD[p["quality"]], -1))
    est_triad = np.where(root == dataset.NO_CHORD, 2, np.where(quality >= 0, TRIAD[quality], -1))
    return {"root": share(root == p["root"], labelled),
            "majmin": share((root == p["root"]) & (est_triad == ref_triad), labelled & (ref_triad >= 0)),
            "quality": share((quality == p["quality"]) & (root == p["root"]), p["quality"] >= 0),
            "bass": share(bass == p["bass"], p["bass"] >= 0)}


def piece_scores(model, p, penalty):
    """Per-frame figures of one piece (None where it has no label for them); "key" smoothed by
    the change penalty chosen on the inner split, "key_raw" each frame's own decision."""
    prob = predict(model, p)
    mask = (p["key"] >= 0) & p["sounding"]
    # The whole-file key: the frames' key probabilities summed over sounding frames.
    whole = int(prob["key"][p["sounding"]].sum(0).argmax())
    return {"set": p["set"], "file": p["file"], "nregions": p["nregions"],
            "key_raw": share(prob["key"].argmax(1) == p["key"], mask),
            "key": share(viterbi(prob["key"], penalty) == p["key"], mask),
            "global": float(whole == dataset.key_class(p["keycode"])),
            **chord_scores(p, prob["root"].argmax(1), prob["quality"].argmax(1), prob["bass"].argmax(1))}


def present_scores(p):
    """The present models' figures on the same frames, read from the network's inputs."""
    def one_hot(head, n):
        block = p["x"][:, PRESENT[head]:PRESENT[head] + n]
        return np.where(block.any(1), block.argmax(1), -1)
    key = one_hot("key", 24)
    mask = (p["key"] >= 0) & p["sounding"]
    return {"set": p["set"], "file": p["file"], "nregions": p["nregions"],
            "key": share(key == p["key"], mask), "key_raw": share(key == p["key"], mask), "global": None,
            **chord_scores(p, one_hot("root", 13), one_hot("quality", 13), one_hot("bass", 12))}


def folds_of(pieces, k, seed):
    """The groups holding corpus pieces dealt into k folds at random (fixed seed)."""
    groups = sorted({p["group"] for p in pieces if p["set"] in CORPUS})
    rng = np.random.default_rng(seed)
    order = rng.permutation(len(groups))
    return [{groups[i] for i in order[f::k]} for f in range(k)]


def summary(rows):
    sets = [("pop909, 100 songs", lambda r: r["set"] == "corpus/pop909"),
            ("pop909, several keys", lambda r: r["set"] == "corpus/pop909" and r["nregions"] > 1),
            ("bach chorales", lambda r: r["set"] == "corpus/bach"),
            ("wir songs", lambda r: r["set"] == "corpus/wir" and r["file"].startswith("Lieder-")),
            ("wir textbook examples", lambda r: r["set"] == "corpus/wir" and not r["file"].startswith("Lieder-"))]
    lines = ["| set | files | local key | local key, per frame unsmoothed | whole-file key | root | majmin "
             "| quality (root and quality) | bass |",
             "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"]
    for name, chosen in sets:
        mine = [r for r in rows if chosen(r)]
        if not mine:
            continue

        def mean(field):
            values = [r[field] for r in mine if r.get(field) is not None]
            return f"{100 * np.mean(values):.1f}" if values else ""
        lines.append(f"| {name} | {len(mine)} | {mean('key')} | {mean('key_raw')} | {mean('global')} | {mean('root')} | {mean('majmin')} "
                     f"| {mean('quality')} | {mean('bass')} |")
    return "\n".join(lines)


def inner_split(pieces, held, seed):
    """The training groups less a tenth of them (at random, fixed seed) that stopping watches."""
    rest_groups = sorted({p["group"] for p in pieces if p["group"] not in held})
    rng = np.random.default_rng(seed)
    inner = set(rng.choice(rest_groups, size=len(rest_groups) // 10, replace=False))
    train = [p for p in pieces if p["group"] not in held and p["group"] not in inner]
    val = [p for p in pieces if p["group"] in inner]
    return train, val


def chosen_penalty(model, val):
    """The key changes' penalty, chosen on the inner split like the stopping epoch."""
    scores = {c: key_accuracy(model, val, c) for c in PENALTIES}
    penalty = max(PENALTIES, key=lambda c: (scores[c], -c))
    print("  inner key by change penalty: " + ", ".join(f"{c}: {100 * v:.1f}" for c, v in scores.items())
          + f"; chosen {penalty}", flush=True)
    return penalty


def cross_validate(pieces, args):
    folds = folds_of(pieces, args.folds, args.seed)
    rows, present, times = [], [], []
    for f in (args.run_folds if args.run_folds is not None else range(args.folds)):
        held = folds[f]
        test = [p for p in pieces if p["group"] in held]
        train, val = inner_split(pieces, held, args.seed + f)
        print(f"fold {f}: {len(test)} held out, {len(train)} trained on, {len(val)} inner", flush=True)
        model, epoch_times = train_fold(train, val, args, args.seed + f)
        times += epoch_times
        if args.save:
            torch.save(model.state_dict(), args.save / f"fold{f}.pt")
        penalty = chosen_penalty(model, val)
        fold_rows = [dict(piece_scores(model, p, penalty), fold=f, penalty=penalty) for p in test]
        rows += fold_rows
        present += [dict(present_scores(p), fold=f) for p in test]
        print(summary(fold_rows), flush=True)
        args.out.write_text(json.dumps({"rows": rows, "present": present, "epoch_seconds": times}))
    print(f"\nouter folds {sorted({r['fold'] for r in rows})}, {np.mean(times):.1f} s an epoch on average")
    print("the network:")
    print(summary(rows))
    print("the present models on the same frames:")
    print(summary(present))


def train_final(pieces, args):
    """One model on every piece (a tenth of the groups kept for stopping), written for the core."""
    import export  # noqa: PLC0415 (only the final model is exported)
    train, val = inner_split(pieces, set(), args.seed)
    print(f"final: {len(train)} trained on, {len(val)} inner", flush=True)
    model, epoch_times = train_fold(train, val, args, args.seed)
    penalty = chosen_penalty(model, val)
    # Reference inputs for the core's test: the start of a piece of each corpus set.
    by_set = {}
    for p in pieces:
        by_set.setdefault(p["set"], p)
    references = [by_set[s]["x"][:n] for s, n in (("corpus/pop909", 200), ("corpus/wir", 40), ("corpus/bach", 1))]
    here = Path(__file__).resolve().parents[2]
    export.export(model, references, here / "app/core/keymodel/fittedkeymodel.h",
                  here / "tests/keymodel/keymodelreference.h", here / "tests/keymodel/keymodelreference.json",
                  source=f"train.py --final (seed {args.seed}, {len(epoch_times)} epochs)",
                  inputs_source="the starts of a pop song, a wir piece and a chorale", change_penalty=penalty)
    print(f"{len(epoch_times)} epochs, {np.mean(epoch_times):.1f} s an epoch; change penalty {penalty}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cache", type=Path, default=Path("/tmp/keymodel-frames.npz"))
    parser.add_argument("--final", action="store_true", help="train the one model on everything and write it for the core")
    parser.add_argument("--folds", type=int, default=5)
    parser.add_argument("--run-folds", type=int, nargs="*", help="the outer folds to run (all by default)")
    parser.add_argument("--epochs", type=int, default=30)
    parser.add_argument("--patience", type=int, default=4)
    parser.add_argument("--crop", type=int, default=256)
    parser.add_argument("--batch", type=int, default=16)
    parser.add_argument("--lr", type=float, default=2e-3)
    parser.add_argument("--channels", type=int, default=64)
    parser.add_argument("--hidden", type=int, default=64)
    parser.add_argument("--seed", type=int, default=33)
    parser.add_argument("--out", type=Path, default=Path("/tmp/keymodel-scores.json"))
    parser.add_argument("--save", type=Path, help="a folder for each fold's weights (state dicts; not for the repository)")
    args = parser.parse_args()
    torch.set_num_threads(2)
    if args.save:
        args.save.mkdir(parents=True, exist_ok=True)
    pieces = dataset.read(args.cache)
    weights = sum(p.numel() for p in KeyHarmonyNet(args.channels, args.hidden).parameters())
    print(f"{len(pieces)} pieces; {weights} weights ({4 * weights / 1024:.0f} KiB as float32)")
    if args.final:
        train_final(pieces, args)
    else:
        cross_validate(pieces, args)


if __name__ == "__main__":
    sys.exit(main())
