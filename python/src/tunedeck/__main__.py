"""``python -m tunedeck``: tunedeck-detect's common options, printing what it prints.

Files and folders (walked as the command walks them); --track, --sensitivity, --meter, --keys,
--transpose, --split-format0, --format (text, json, jsonl, csv) or --json, --notation,
--second-key, --chords (with --roman), --write-chords, --summary and --jobs. Each file's text, JSON object or CSV row is the command's,
byte for byte, made by the same code; errors go to stderr as the command's do, with "tunedeck:"
before them. Exit status: 0 when every file was read and reported, 1 when one was refused or
failed, 2 for a wrong option.
"""

from __future__ import annotations

import argparse
import concurrent.futures
import os
import sys
import time

from . import __version__, _core
from ._choices import METERS, choices, core_options

_FORMATS = ("text", "json", "jsonl", "csv")
_NOTATIONS = ("standard", "camelot", "openkey", "german")


def _word(name: str, words: tuple):
    def parse(value: str) -> str:
        if value.lower() not in words:
            raise argparse.ArgumentTypeError(f"{name} takes {', '.join(words)}, not {value}")
        return value.lower()
    return parse


def _track(value: str) -> int | None:
    if value.lower() == "all":
        return None
    position = _core.track_position(int(value), "command") if value.strip().lstrip("+-").isdigit() \
        and len(value) < 6 else None
    if position is None:
        raise argparse.ArgumentTypeError(f"--track takes all or 1 to {_core.choosable_tracks}, not {value}")
    # The command's number as Python numbers the same track.
    return position + _core.track_one("python")


def _whole(name: str, low: int, high: int, what: str):
    def parse(value: str) -> int:
        try:
            number = int(value)
        except ValueError:
            number = None
        if number is None or not low <= number <= high:
            raise argparse.ArgumentTypeError(f"{name} takes {what}")
        return number
    return parse


def parser() -> argparse.ArgumentParser:
    p = argparse.ArgumentParser(
        prog="python -m tunedeck", description=__doc__.split("\n\n")[1].replace("\n", " "),
        epilog="Exit status: 0 when every file was read and reported, 1 when a file was refused or its run "
               "failed, 2 for a wrong option.")
    p.add_argument("files", nargs="+", metavar="file|folder", help="MIDI files (format 1), or folders")
    p.add_argument("-v", "--version", action="version", version=f"tunedeck {__version__}")
    p.add_argument("-t", "--track", type=_track, default=None,
                   help="all, or 1 to 12 as the window's \"Track 01\" to \"Track 12\". Default: all")
    p.add_argument("-s", "--sensitivity", type=_word("--sensitivity", ("normal", "more")), default="normal",
                   help="normal or more. Default: normal")
    p.add_argument("-m", "--meter", type=_word("--meter", METERS), default="4/4",
                   help=f"meter for bar numbers: {', '.join(METERS)}. Default: 4/4")
    p.add_argument("-k", "--keys", type=_word("--keys", ("1", "2", "3", "4", "unknown")), default="2",
                   help="main keys in the timeline: 1, 2, 3, 4 or unknown. Default: 2")
    p.add_argument("--transpose", type=_whole("--transpose", -12, 12, "semitones from -12 to 12"),
                   help="transpose every note but the drums' by -12 to 12 semitones")
    p.add_argument("--split-format0", action="store_true", default=None,
                   help="read a format 0 file one track per channel")
    p.add_argument("--json", action="store_true", help="the same as --format json")
    p.add_argument("--format", type=_word("--format", _FORMATS), help="text, json, jsonl or csv. Default: text")
    p.add_argument("--notation", type=_word("--notation", _NOTATIONS),
                   help="also name keys as standard, camelot, openkey or german in the JSON and CSV")
    p.add_argument("--second-key", action="store_true", help="also print the profile analysis in the text")
    p.add_argument("--chords", action="store_true",
                   help="also print the chords, beat by beat: a chart in the text, a CSV row a chord with --format csv")
    p.add_argument("--roman", action="store_true", help="with --chords, the chart's chords with their Roman numerals")
    p.add_argument("--write-chords", metavar="DIR",
                   help="write a copy of each file read under DIR (same relative path) whose tempo track has a "
                        "marker at each chord's start, named by its symbol")
    p.add_argument("--key-network", action="store_true",
                   help="the local keys, their confidences and the chords in them from the key and harmony network")
    p.add_argument("--summary", action="store_true", default=None, help="after the files: how many in each key")
    p.add_argument("-j", "--jobs", type=_whole("--jobs", 1, 256, "a number of threads, 1 to 256"),
                   help="threads for many files. Default: the number of cores")
    return p


def main(argv: list[str] | None = None) -> int:
    p = parser()
    args = p.parse_args(argv)
    if args.roman and not args.chords:
        p.error("--roman shows the numerals in the chords' chart: give --chords too")
    if args.write_chords is not None and args.transpose:
        p.error("--write-chords cannot be used with --transpose")
    out, err = sys.stdout.buffer, sys.stderr.buffer
    form = "json" if args.json else args.format or "text"
    notation = args.notation or "standard"
    checked = choices("tunedeck", track=args.track, sensitive=args.sensitivity == "more", meter=args.meter,
                      keys=None if args.keys == "unknown" else int(args.keys), transpose=args.transpose or 0,
                      split_format0=bool(args.split_format0), key_network=args.key_network)
    # The profile analysis only where it is printed, as the command runs it.
    copies = args.write_chords is not None
    options = core_options(checked, profile=form in ("json", "jsonl") or args.second_key or args.chords or copies,
                           transpose_field=args.transpose is not None)
    arguments = [os.fsencode(f) for f in args.files]
    # The summary line ends runs of many files, as the command decides it.
    collection = any(v is not None for v in (args.format, args.notation, args.jobs, args.summary,
                                             args.split_format0, args.write_chords)) or args.json or any(map(os.path.isdir, arguments))
    start = time.monotonic()
    # The copies' folder is left out of the walk, and each copy's place decided before any is written.
    plan = _core.ChordCopies(arguments, os.fsencode(args.write_chords)) if copies else None
    files, problems = (plan.files, plan.problems) if plan else _core.midi_files(arguments)
    for path, why in problems:
        err.write(b"tunedeck: " + path + b": " + why.encode() + b"\n")
    for folder in plan.not_read if plan else ():
        err.write(b"tunedeck: " + folder + b": not read, the copies are written there\n")
    if form == "csv":
        out.write(_core.chord_csv_header() if args.chords else _core.csv_header(notation))
    elif form == "json":
        out.write(b"[\n")
    tally = _core.Tally()
    failures = 0
    jobs = args.jobs or os.cpu_count() or 1
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        runs = pool.map(lambda path: _core.analyse_path(path, options, copies), files) if jobs > 1 and len(files) > 1 \
            else (_core.analyse_path(path, options, copies) for path in files)
        for i, (path, run) in enumerate(zip(files, runs)):
            if not run.succeeded:
                failures += 1
                reason = run.refusal[2] if run.refusal is not None else ""
                err.write(b"tunedeck: " + path + b": " + run.error.encode()
                          + (f" ({reason})".encode() if reason else b"") + b"\n")
            # The copy before the file's lines, which say when it was not written.
            not_written = plan.write(i, run) if plan else None
            if not_written is not None:
                failures += 1
                tally.copy_not_written()
                err.write(b"tunedeck: " + path + b": chord markers not written (" + os.fsencode(not_written) + b")\n")
            if form == "text":
                chart = run.chord_chart(args.roman) if args.chords else b""
                out.write(path + b"\n" + run.text(args.second_key) + chart + b"\n")
            elif form == "json":
                out.write((b",\n" if i else b"") + run.json_item(path, notation, not_written))
            elif form == "jsonl":
                out.write(run.json_line(path, notation, not_written))
                out.flush()
            else:
                out.write(run.chord_csv_rows(path) if args.chords else run.csv_row(path, notation, not_written))
            tally.add(run, path)
    if form == "json":
        out.write(b"\n]\n" if files else b"]\n")
    if args.summary:
        out.write("".join(line + "\n" for line in tally.key_lines(notation)).encode())
    out.flush()
    if collection:
        err.write((tally.summary_line(len(problems), time.monotonic() - start) + "\n").encode())
    return 1 if failures or problems else 0


if __name__ == "__main__":
    sys.exit(main())
