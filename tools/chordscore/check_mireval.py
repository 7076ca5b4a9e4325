#!/usr/bin/python3
"""Checks tunedeck-chordscore's chord measures against mir_eval itself.

Scores the tool's estimated segments (its --dump) against each set's chords.tsv with
mir_eval.chord and compares every file's figures with the tool's (its --per-file): root,
majmin, majmin_inv, sevenths, sevenths_inv, overseg, underseg and seg must agree within 1e-9.
The estimate is read as the tool reads it: a gap between segments is no chord ("N"), and after
mir_eval's adjust_intervals to the reference's span, what lasts no time is left out (mir_eval's
segmentation stops on such an interval; it weighs nothing in the other measures). Where the
tool gives no figure ("-": no reference time in the measure's gamut), mir_eval must find no
comparable chord either.

    check_mireval.py --dump dump.tsv --per-file figures.tsv ../shared/corpus/pop909 ...
    check_mireval.py --tool build/bin/tunedeck-chordscore ../shared/corpus/pop909 ...

With --tool it runs the tool itself. Exits 77 (skipped) without the sets or without mir_eval.
"""
import argparse
import csv
import os
import subprocess
import sys
import tempfile
import warnings

SKIP = 77
MEASURES = ["root", "majmin", "majmin_inv", "sevenths", "sevenths_inv"]
TOLERANCE = 1e-9


def set_folders(paths):
    """The folders holding chords.tsv: each path, or its subfolders."""
    folders = []
    for path in paths:
        if os.path.isfile(os.path.join(path, "chords.tsv")):
            folders.append(path)
        elif os.path.isdir(path):
            folders += sorted(os.path.join(path, d) for d in os.listdir(path)
                              if os.path.isfile(os.path.join(path, d, "chords.tsv")))
    return folders


def read_rows(path):
    """{file: [(start, end, label)]} of a chords.tsv-like table."""
    rows = {}
    with open(path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            rows.setdefault(row["file"], []).append(
                (int(row["start_tick"]), int(row["end_tick"]), row["label"]))
    return rows


def estimate(segments, t_min, t_max):
    """The segments with gaps as N, adjusted to [t_min, t_max], nothing that lasts no time."""
    import numpy as np
    import mir_eval
    intervals, labels = [], []
    for start, end, label in sorted(segments):
        if intervals and intervals[-1][1] < start:
            intervals.append([intervals[-1][1], start])
            labels.append("N")
        intervals.append([start, end])
        labels.append(label)
    intervals, labels = mir_eval.util.adjust_intervals(
        np.array(intervals, dtype=float).reshape(-1, 2), labels, t_min, t_max,
        mir_eval.chord.NO_CHORD, mir_eval.chord.NO_CHORD)
    keep = intervals[:, 1] > intervals[:, 0]
    return intervals[keep], [l for l, k in zip(labels, keep) if k]


def mir_eval_figures(reference, segments):
    """mir_eval's figures of one file; None for a measure without comparable reference time."""
    import numpy as np
    import mir_eval
    ref_intervals = np.array([[s, e] for s, e, _ in reference], dtype=float)
    ref_labels = [l for _, _, l in reference]
    est_intervals, est_labels = estimate(segments, ref_intervals.min(), ref_intervals.max())
    scores = mir_eval.chord.evaluate(ref_intervals, ref_labels, est_intervals, est_labels)
    _, ref_merged, est_merged = mir_eval.util.merge_labeled_intervals(
        ref_intervals, ref_labels, est_intervals, est_labels)
    figures = {}
    for name in MEASURES:
        comparable = (getattr(mir_eval.chord, name)(ref_merged, est_merged) >= 0).any()
        figures[name] = scores[name] if comparable else None
    for name in ["overseg", "underseg", "seg"]:
        figures[name] = scores[name]
    return figures


def compare(folders, dump, per_file):
    references = {}
    for folder in folders:
        for name, rows in read_rows(os.path.join(folder, "chords.tsv")).items():
            if name in references:
                sys.exit(f"check_mireval: {name} is in two sets; check them one at a time")
            references[name] = rows
    estimates = read_rows(dump)
    failures, checked, largest = [], 0, 0.0
    with open(per_file, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            name = row["file"]
            ours = mir_eval_figures(references[name], estimates.get(name, []))
            for measure, theirs in ours.items():
                tool = None if row[measure] == "-" else float(row[measure])
                checked += 1
                if (tool is None) != (theirs is None):
                    failures.append(f"{name} {measure}: tool {row[measure]}, mir_eval {theirs}")
                elif tool is not None:
                    largest = max(largest, abs(tool - theirs))
                    if abs(tool - theirs) > TOLERANCE:
                        failures.append(f"{name} {measure}: tool {tool!r}, mir_eval {theirs!r}")
    for line in failures[:20]:
        print(line)
    print(f"check_mireval: {checked} figures compared, largest difference {largest:.3g}, "
          f"{len(failures)} differ by more than {TOLERANCE:g}")
    return 1 if failures or checked == 0 else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("sets", nargs="+", help="set folders holding chords.tsv, or folders of them")
    parser.add_argument("--tool", help="run this tunedeck-chordscore for the dump and the figures")
    parser.add_argument("--dump", help="the tool's --dump")
    parser.add_argument("--per-file", help="the tool's --per-file")
    args = parser.parse_args()
    if not args.tool and not (args.dump and args.per_file):
        parser.error("give --tool, or --dump and --per-file")
    try:
        import mir_eval  # noqa: F401
    except ImportError:
        print("check_mireval: mir_eval is not installed (python3-mir-eval); skipped")
        return SKIP
    folders = set_folders(args.sets)
    if not folders:
        print("check_mireval: no chords.tsv in " + " ".join(args.sets) + "; skipped")
        return SKIP
    warnings.simplefilter("ignore")  # mir_eval warns where a measure has nothing to compare
    if not args.tool:
        return compare(folders, args.dump, args.per_file)
    with tempfile.TemporaryDirectory() as scratch:
        dump, per_file = os.path.join(scratch, "dump.tsv"), os.path.join(scratch, "figures.tsv")
        run = subprocess.run([args.tool, *folders, "--no-speed", "--dump", dump, "--per-file", per_file],
                             stdout=subprocess.DEVNULL)
        if run.returncode != 0:
            print(f"check_mireval: {args.tool} failed ({run.returncode})")
            return 1
        return compare(folders, dump, per_file)


if __name__ == "__main__":
    sys.exit(main())
