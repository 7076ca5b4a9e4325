"""Beat frames of the shared corpus and training sets with their labels per frame, for the key
and harmony model (train.py).

The frames come from the core through the Python package (tunedeck._core.beat_frames: the chord
analysis' beat grid and its inputs), so the model is trained on what the core would hand it.
Labels are read at each frame's middle tick: the local key (regions.tsv, localkeys.tsv; the
chorales' one key), and from chords.tsv the chord's root, quality and bass. -1 masks a label.

    build-python/venv/bin/python tools/keymodel/dataset.py [--shared ../shared] [--cache /tmp/keymodel-frames.npz]
"""

import argparse
import csv
import re
import sys
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np

from tunedeck import _choices, _core

# The chord model's qualities (docs/CHORDS.md), in its order; chords.tsv's others are masked.
QUALITIES = ["maj", "min", "dim", "aug", "7", "maj7", "min7", "hdim7", "dim7", "sus4", "sus2", "maj6", "min6"]
NO_CHORD = 12  # the root's class for "N"
NOTES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
DEGREES = {"1": 0, "2": 2, "3": 4, "4": 5, "5": 7, "6": 9, "7": 11, "9": 2, "11": 5, "13": 9}

# (set name, folder under --shared, key regions file or None for the one key of labels.tsv)
SETS = [("corpus/pop909", "corpus/pop909", "regions.tsv"), ("corpus/bach", "corpus/bach", None),
        ("corpus/wir", "corpus/wir", "localkeys.tsv"), ("training/pop909", "training/pop909", "regions.tsv"),
        ("training/wir", "training/wir", "localkeys.tsv")]


def key_class(keycode):
    """Major keys 0-11 by tonic, minor 12-23 (keycodes: minor 60 + pc, major 160 + pc)."""
    return keycode - 160 if keycode >= 160 else 12 + keycode - 60


def pitch_class(name):
    pc = NOTES[name[0]]
    for accidental in name[1:]:
        pc += {"#": 1, "b": -1}[accidental]
    return pc % 12


def interval(degree):
    shift = 0
    while degree and degree[0] in "b#":
        shift += -1 if degree[0] == "b" else 1
        degree = degree[1:]
    return DEGREES[degree] + shift


def parse_label(label):
    """(root 0-11 or NO_CHORD, quality index or -1, bass pc or -1)."""
    if label in ("N", "X"):
        return NO_CHORD, -1, -1
    root_text, _, rest = label.partition(":")
    quality_text, _, bass_text = (rest or "maj").partition("/")
    root = pitch_class(root_text)
    quality = QUALITIES.index(quality_text) if quality_text in QUALITIES else -1
    try:
        bass = (root + interval(bass_text)) % 12 if bass_text else root
    except KeyError:
        bass = -1
    return root, quality, bass


def rows(path):
    with open(path, encoding="utf-8") as f:
        lines = [line for line in f if not line.startswith("#")]
    return list(csv.DictReader(lines, delimiter="\t"))


def by_file(table):
    out = {}
    for row in table:
        out.setdefault(row["file"], []).append(row)
    return out


def at_middles(segments, middles, value, width=None):
    """value(row) of the segment holding each middle tick, -1 outside all of them."""
    out = np.full((len(middles),) if width is None else (len(middles), width), -1, np.int16)
    if not segments:
        return out
    starts = np.array([int(r["start_tick"]) for r in segments])
    ends = np.array([int(r["end_tick"]) for r in segments])
    values = np.array([value(r) for r in segments], np.int16)
    i = np.searchsorted(starts, middles, side="right") - 1
    inside = (i >= 0) & (middles < ends[np.clip(i, 0, None)])
    out[inside] = values[i[inside]]
    return out


def group_of(set_name, label):
    """As the key scoring tools group the corpus: versions of one pop song together (017/018),
    chorales by BWV number in both sets, songs by composer, textbook examples by book."""
    file, source, genre = label["file"], label.get("source", ""), label.get("genre", "")
    if "pop909" in set_name:
        number = file[7:10]
        return "pop909-017" if number in ("017", "018") else f"pop909-{number}"
    bwv = re.search(r"music21:bach/bwv(\d+)", source) or ("bach" in set_name and re.search(r"bwv(\d+)", file))
    if bwv:
        return f"bwv{bwv.group(1)}"
    parts = source.split("/")
    if genre == "OpenScore-LiederCorpus":
        if file.startswith("Lieder-"):
            return "composer " + file[7:file.index("-", 7)]
        if len(parts) > 2:
            return "composer " + parts[2]
    if genre == "Textbooks" and len(parts) > 3:
        return f"book {parts[2]}/{parts[3]}"
    return f"{set_name}:{file}"


def load(shared, threads=2):
    options = _choices.core_options(_choices.choices())
    pieces = []
    for set_name, folder, regions_name in SETS:
        base = shared / folder
        labels = rows(base / "labels.tsv")
        regions = by_file(rows(base / regions_name)) if regions_name else {}
        chords = by_file(rows(base / "chords.tsv")) if (base / "chords.tsv").exists() else None

        def one(label):
            frames = _core.beat_frames((base / label["file"]).read_bytes(), options)
            middles = (frames["start"] + frames["end"]) // 2
            if regions_name:
                key = at_middles(regions.get(label["file"], []), middles, lambda r: key_class(int(r["keycode"])))
            else:
                key = np.full(len(middles), key_class(int(label["keycode"])), np.int16)
            if chords is not None:
                parsed = at_middles(chords.get(label["file"], []), middles, lambda r: parse_label(r["label"]), 3)
                root, quality, bass = parsed[:, 0], parsed[:, 1], parsed[:, 2]
            else:
                root = quality = bass = np.full(len(middles), -1, np.int16)
            return {"set": set_name, "file": label["file"],
                    "group": group_of(set_name, label),
                    "nregions": int(label["nregions"]), "keycode": int(label["keycode"]),
                    "x": frames["model_inputs"], "sounding": ~frames["silent"], "start": frames["start"],
                    "end": frames["end"], "key": key, "root": root, "quality": quality, "bass": bass}

        with ThreadPoolExecutor(threads) as pool:
            pieces += list(pool.map(one, labels))
    return pieces


def save(pieces, path):
    lengths = np.array([len(p["x"]) for p in pieces])
    arrays = {name: np.concatenate([p[name] for p in pieces]) for name in
              ("x", "sounding", "start", "end", "key", "root", "quality", "bass")}
    np.savez(path, lengths=lengths, sets=np.array([p["set"] for p in pieces]),
             files=np.array([p["file"] for p in pieces]), groups=np.array([p["group"] for p in pieces]),
             nregions=np.array([p["nregions"] for p in pieces]), keycodes=np.array([p["keycode"] for p in pieces]),
             **arrays)


def read(path):
    """The pieces of a saved cache, each a dict of its arrays."""
    data = np.load(path)
    bounds = np.concatenate([[0], np.cumsum(data["lengths"])])
    arrays = {name: data[name] for name in ("x", "sounding", "start", "end", "key", "root", "quality", "bass")}
    return [dict({name: a[bounds[i]:bounds[i + 1]] for name, a in arrays.items()},
                 set=str(data["sets"][i]), file=str(data["files"][i]), group=str(data["groups"][i]),
                 nregions=int(data["nregions"][i]), keycode=int(data["keycodes"][i]))
            for i in range(len(data["lengths"]))]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    here = Path(__file__).resolve().parents[2]
    parser.add_argument("--shared", type=Path, default=here.parent / "shared")
    parser.add_argument("--cache", type=Path, default=Path("/tmp/keymodel-frames.npz"))
    args = parser.parse_args()
    began = time.time()
    pieces = load(args.shared)
    save(pieces, args.cache)
    print(f"{len(pieces)} pieces, {sum(len(p['x']) for p in pieces)} frames in {time.time() - began:.0f} s -> {args.cache}")
    for set_name, _, _ in SETS:
        mine = [p for p in pieces if p["set"] == set_name]
        frames = sum(len(p["x"]) for p in mine)
        keyed = sum(int((p["key"] >= 0).sum()) for p in mine)
        chorded = sum(int((p["root"] >= 0).sum()) for p in mine)
        typed = sum(int((p["quality"] >= 0).sum()) for p in mine)
        groups = len({p["group"] for p in mine})
        print(f"{set_name}: {len(mine)} pieces, {groups} groups, {frames} frames, key labelled {keyed}, "
              f"chord labelled {chorded}, quality in the vocabulary {typed}")
    print(f"{len({p['group'] for p in pieces})} groups in all")


if __name__ == "__main__":
    sys.exit(main())
