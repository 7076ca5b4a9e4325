#!/usr/bin/python3
"""Which of two annotations of the same files sits on their notes.

For each file, the share of the notes' sounding time under each annotated chord whose pitch
class is one of the chord's tones, for two files of annotated chords in chords.tsv's columns
(tunedeck-chordscore --write-reference, without and with --rntxt). An annotation off its
notes by a beat or more shows as a much lower share. Prints the files whose shares differ by
`--at-least` or more, and the mean of each. Run with the package's Python
(scripts/test-python.sh builds it):

    build-python/venv/bin/python tools/chordscore/check_references.py \\
        /tmp/reference-tsv.tsv /tmp/reference-rntxt.tsv ../shared/corpus/wir
"""
import argparse
import collections
import csv
import statistics

import tunedeck

STEPS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
QUALITIES = {"maj": [0, 4, 7], "min": [0, 3, 7], "dim": [0, 3, 6], "aug": [0, 4, 8], "7": [0, 4, 7, 10],
             "maj7": [0, 4, 7, 11], "min7": [0, 3, 7, 10], "minmaj7": [0, 3, 7, 11], "dim7": [0, 3, 6, 9],
             "hdim7": [0, 3, 6, 10], "aug(b7)": [0, 4, 8, 10], "aug(7)": [0, 4, 8, 11]}


def tones(label):
    """The pitch classes of a Harte label of the qualities above; None for others, N and X."""
    if ":" not in label:
        return None
    root, quality = label.split(":")
    quality = quality.split("/")[0]
    if quality not in QUALITIES:
        return None
    pc = STEPS[root[0]] + sum(1 if c == "#" else -1 for c in root[1:])
    return {(pc + t) % 12 for t in QUALITIES[quality]}


def rows(path):
    out = collections.defaultdict(list)
    with open(path, newline="") as f:
        for r in csv.DictReader(f, delimiter="\t"):
            out[r["file"]].append((int(r["start_tick"]), int(r["end_tick"]), r["label"]))
    return out


def share(notes, chords):
    inside = total = 0
    for start, end, label in chords:
        chord = tones(label)
        if chord is None:
            continue
        under = notes[(notes.tick < end) & (notes.tick + notes.length > start)]
        overlap = (under.tick + under.length).clip(upper=end) - under.tick.clip(lower=start)
        total += overlap.sum()
        inside += overlap[under.pitch.mod(12).isin(chord)].sum()
    return inside / total if total else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("first")
    parser.add_argument("second")
    parser.add_argument("set", help="the folder of the MIDI files the ticks are of")
    parser.add_argument("--at-least", type=float, default=0.02)
    args = parser.parse_args()
    first, second = rows(args.first), rows(args.second)
    results = []
    for name in sorted(set(first) & set(second)):
        notes = tunedeck.notes_dataframe(f"{args.set}/{name}")
        notes["length"] = (notes.duration * 480).round().astype(int)  # the ticks of 480 a quarter
        a, b = share(notes, first[name]), share(notes, second[name])
        if a is not None and b is not None:
            results.append((b - a, name, a, b))
    for difference, name, a, b in sorted(results):
        if abs(difference) >= args.at_least:
            print(f"{difference:+.3f}  {name}  {a:.3f} -> {b:.3f}")
    print(f"{len(results)} files, chord tones' share of the notes: "
          f"{statistics.mean(r[2] for r in results):.3f} -> {statistics.mean(r[3] for r in results):.3f}")


if __name__ == "__main__":
    main()
