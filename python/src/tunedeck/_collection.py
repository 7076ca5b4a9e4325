"""Many files: folders walked as tunedeck-detect walks them, threads, rows and DataFrames
of files and of their chords."""

from __future__ import annotations

import concurrent.futures
import multiprocessing
import os
import sys
import time
from collections.abc import Iterable, Iterator
from typing import TYPE_CHECKING

from . import _core
from ._choices import choices, core_options

if TYPE_CHECKING:
    import pandas as pd

__all__ = ["COLUMNS", "CHORD_COLUMNS", "midi_files", "analyse_many", "to_dataframe", "chords_dataframe"]

# A row's fields, the core's columns that a table holds, snake_case: the command's CSV
# columns ("keyCode" is key_code), the refusal's reason, and the profile analysis.
_COLUMNS = [c for c in _core.columns() if c["in_table"]]
COLUMNS = tuple(c["name"] for c in _COLUMNS)
# A chord's: the file, then Chord's fields.
CHORD_COLUMNS = ("file", "tick", "end_tick", "bar", "beat", "ms", "label", "symbol", "roman", "key", "key_code",
                 "confidence")


def as_list(paths) -> list:
    """One path, or many."""
    return [paths] if isinstance(paths, (str, bytes, os.PathLike)) else list(paths)


def midi_files(*paths) -> Iterator[str]:
    """The files a collection run reads, as tunedeck-detect lists them (the core's walk): each
    folder walked for .mid, .midi and .kar files (any case), its entries in byte order of their
    names, a subfolder at its place among them; anything else as it stands. Entries the walk
    cannot use (broken links, loops, unreadable files) are left out."""
    files, _problems = _core.midi_files([os.fsencode(p) for p in paths])
    yield from (os.fsdecode(f) for f in files)


def table(paths: list[bytes], options: dict, profile: bool) -> dict:
    """The rows of files by path as columns (without "file"), in this process."""
    return _core.table_of_paths(paths, core_options(options, profile))


def chord_table(paths: list[bytes], options: dict) -> dict:
    """The chords of files by path as columns, "file" the place of each one's file in paths,
    in this process."""
    return _core.chord_table_of_paths(paths, core_options(options))


def rows_of(files: list[str], columns: dict) -> Iterator[dict]:
    names = [c for c in COLUMNS if c != "file"]
    for i, file in enumerate(files):
        row = {"file": file}
        for name in names:
            row[name] = columns[name][i]
        yield row


def _batches(items: list, size: int) -> list[list]:
    return [items[i:i + size] for i in range(0, len(items), size)]


class _Progress:
    """The command's progress line on stderr, redrawn in place."""

    def __init__(self, total: int, stream=None):
        self.total, self.done, self.stream = total, 0, stream or sys.stderr
        self.start = time.monotonic()

    def advance(self, n: int) -> None:
        self.done += n
        self.stream.write("\r" + _core.progress_line(self.done, self.total, time.monotonic() - self.start))
        if self.done >= self.total:
            self.stream.write("\n")
        self.stream.flush()


def analyse_many(paths: Iterable, *, jobs: int | None = None, progress: bool = False, profile: bool = True,
                 batch: int | None = None, processes: bool = False, **options) -> Iterator[dict]:
    """Analyses many files and yields one row (a dict of COLUMNS) per file, in the order of
    ``paths``; folders are walked as midi_files() walks them.

    Each analysis has an engine of its own and runs without the GIL, so ``jobs`` threads
    (default: the number of cores) run at once; ``jobs=1`` runs here. ``processes=True`` runs
    them in worker processes instead, so a file that crashes the engine costs only its worker;
    those are started with "spawn", so a script that asks for them needs the usual
    ``if __name__ == "__main__":`` guard. A file that cannot be read gives a row too, with its
    outcome and reason: nothing is raised for it. ``profile=False`` leaves the profile analysis
    out, as tunedeck-detect's text and CSV do. ``progress=True`` draws a bar on stderr. The
    other options are analyse()'s.
    """
    checked = choices(**options)
    files = list(midi_files(*as_list(paths)))
    for names, columns in _tables(files, table, (checked, profile), jobs, batch, progress, processes):
        yield from rows_of(names, columns)


def chords_dataframe(paths: Iterable, *, jobs: int | None = None, progress: bool = False,
                     batch: int | None = None, processes: bool = False, **options) -> pd.DataFrame:
    """Every chord of many files as one pandas DataFrame, one row a chord, the columns of
    CHORD_COLUMNS: "file", then the fields of tunedeck.Chord. Files come in the order of
    ``paths``, each one's chords in time order; a file without chords (refused, past the
    buffer, without notes) has no rows: analyse_many() says why. Folders, ``jobs``,
    ``processes``, ``progress``, ``batch`` and the other options are analyse_many()'s.

    >>> chords = tunedeck.chords_dataframe(["~/midi/pop909"], jobs=2)
    >>> chords.groupby("file").size().describe()         # chords a song
    >>> chords[chords.roman == "V7/V"].file.nunique()    # songs with a secondary dominant
    """
    checked = choices(**options)
    files = list(midi_files(*as_list(paths)))
    columns: dict = {name: [] for name in CHORD_COLUMNS}
    for names, part in _tables(files, chord_table, (checked,), jobs, batch, progress, processes):
        part["file"] = [names[i] for i in part["file"]]
        for name in CHORD_COLUMNS:
            columns[name].extend(part[name])
    return chord_frame(columns)


def _tables(files: list[str], work, arguments: tuple, jobs: int | None, batch: int | None,
            progress: bool, processes: bool = False) -> Iterator[tuple[list[str], dict]]:
    """Batches of the files, each with the columns work(paths, *arguments) gives for them, in
    their order; in threads (or worker processes) unless there is one job or one batch."""
    jobs = max(1, jobs or os.cpu_count() or 1)
    # Batches of a few dozen files keep a worker busy for tenths of a second, and leave some
    # to share out at the end.
    size = batch or max(1, min(64, -(-len(files) // (4 * jobs))))
    batches = _batches(files, size)
    bar = _Progress(len(files)) if progress and files else None
    encoded = [[os.fsencode(f) for f in b] for b in batches]
    if jobs == 1 or len(batches) == 1:
        yield from _advancing(batches, (work(b, *arguments) for b in encoded), bar)
        return
    if processes:
        pool = concurrent.futures.ProcessPoolExecutor(max_workers=jobs, mp_context=multiprocessing.get_context("spawn"))
    else:
        pool = concurrent.futures.ThreadPoolExecutor(max_workers=jobs)
    with pool:
        results = pool.map(work, encoded, *([a] * len(encoded) for a in arguments))
        yield from _advancing(batches, results, bar)


def _advancing(batches, results, bar) -> Iterator[tuple[list[str], dict]]:
    for files, columns in zip(batches, results):
        yield files, columns
        if bar:
            bar.advance(len(files))


# pandas' types by the core's kinds: nullable where a row may have no value.
_KINDS = {("integer", True): "Int64", ("integer", False): "int64", ("number", True): "Float64",
          ("number", False): "float64", ("boolean", True): "boolean", ("boolean", False): "bool"}
_TYPES = {c["name"]: _KINDS[c["kind"], c["optional"]] for c in _COLUMNS if c["kind"] != "text"}
_CHORD_TYPES = {"tick": "int64", "end_tick": "int64", "bar": "int64", "beat": "float64", "ms": "int64",
                "key_code": "Int64", "confidence": "float64"}


def frame(columns: dict, index=None, names: tuple = COLUMNS, types: dict = _TYPES):
    """A pandas DataFrame of the columns ``names``, typed as ``types`` says: nullable integers
    and booleans where a row may have no value."""
    import numpy as np
    import pandas as pd

    typed = {}
    for name in names:
        kind = types.get(name)
        if kind is None:
            values = np.empty(len(columns[name]), dtype=object)
            values[:] = columns[name]
            typed[name] = values
        else:
            typed[name] = pd.array(columns[name], dtype=kind)
    return pd.DataFrame(typed, index=index, copy=False)


def chord_frame(columns: dict, index=None) -> pd.DataFrame:
    """A pandas DataFrame of CHORD_COLUMNS; a missing key is a missing key_code."""
    return frame(columns, index, CHORD_COLUMNS, _CHORD_TYPES)


def to_dataframe(rows: Iterable[dict]):
    """The rows of analyse_many() as a pandas DataFrame, one row a file, in their order."""
    rows = list(rows)
    return frame({name: [row[name] for row in rows] for name in COLUMNS})
