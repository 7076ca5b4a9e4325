"""Many files: folders walked as tunedeck-detect walks them, threads, rows and DataFrames
of files and of their chords."""

from __future__ import annotations

import concurrent.futures
import itertools
import multiprocessing
import os
import sys
import time
from collections.abc import Iterable, Iterator
from typing import TYPE_CHECKING

from . import _core
from ._choices import choices, core_options, count, flag
from ._errors import MidiFileError, errors_choice, reported
from ._keys import key_of
from ._sources import SOURCE_TYPES, source_path

if TYPE_CHECKING:
    import pandas as pd

__all__ = ["COLUMNS", "CHORD_COLUMNS", "midi_files", "analyse_many", "to_dataframe", "chords_dataframe"]

# A row's fields, the core's columns that a table holds, snake_case: the command's CSV
# columns ("keyCode" is key_code), the refusal's reason, and the profile analysis; after "key"
# (the window's "A# Bb Major"), "key_name": the same key spelt as "profile_key" is ("Bb major").
_COLUMNS = [c for c in _core.columns() if c["in_table"]]
_CORE_COLUMNS = tuple(c["name"] for c in _COLUMNS)
COLUMNS = (*_CORE_COLUMNS[:_CORE_COLUMNS.index("key") + 1], "key_name",
           *_CORE_COLUMNS[_CORE_COLUMNS.index("key") + 1:])
# A chord's: the file, then Chord's fields.
CHORD_COLUMNS = ("file", "tick", "end_tick", "bar", "beat", "ms", "label", "symbol", "roman", "key", "key_code",
                 "confidence")


def as_list(paths) -> list:
    """One path or file's contents, or many."""
    if isinstance(paths, SOURCE_TYPES):
        return [paths]
    if not isinstance(paths, Iterable):
        raise TypeError(f"paths takes paths, folders or files' bytes, or a list of them; not {type(paths).__name__}")
    return list(paths)


def entries(sources, errors: str = "warn") -> list:
    """The files a batch reads, in order: each path walked to its files (as str), each file's
    contents kept as they are (bytes; a memoryview copied, so that it can be sent to a process).
    Entries the walk cannot use are raised or warned of as ``errors`` says."""
    found: list = []
    paths: list[bytes] = []
    for source in as_list(sources):
        name = source_path(source, "paths")
        if name is not None:
            paths.append(name)
            continue
        found.extend(midi_files(*paths, errors=errors))
        paths = []
        found.append(bytes(source) if isinstance(source, memoryview) else source)
    found.extend(midi_files(*paths, errors=errors))
    return found


def names_of(items: list) -> list:
    """The "file" of each item: its path, None for contents."""
    return [item if isinstance(item, str) else None for item in items]


def _groups(items: list, options: dict, profile: bool = True):
    """The core's options, then each run of paths or of contents with the core's function for it."""
    core = core_options(options, profile)
    start = 0
    for is_path, group in itertools.groupby(items, key=lambda item: isinstance(item, str)):
        group = list(group)
        yield start, (_core.table_of_paths, _core.chord_table_of_paths) if is_path else \
            (_core.table_of_contents, _core.chord_table_of_contents), \
            [os.fsencode(f) for f in group] if is_path else group, core
        start += len(group)


NOTE_COLUMNS = ["part", "measure", "onset", "duration", "tick", "pitch", "name"]


def notes_dataframe(source, unfold_repeats: bool = False) -> pd.DataFrame:
    """The notes of a score (MusicXML: .musicxml, .xml, .mxl) or a MIDI file, one row a note:
    ``part`` (0-based in score order, the staves of a part one part; a MIDI file's track 2 is
    0), ``measure`` (as printed, "0" for many pickups; a MIDI file's bar in 4/4 from "1"),
    ``onset`` and ``duration`` (quarter notes from the start), ``tick`` (480 a quarter for a
    score, the file's own for a MIDI file), ``pitch`` (MIDI number at concert pitch) and
    ``name`` (a score's spelling, "F#4", "Bb3"; a MIDI file's with sharps). Grace notes take
    no time and have no rows; tied notes are one row. ``source`` is a path or the file's
    bytes, as ``analyse`` takes them; ``unfold_repeats`` plays repeat signs and endings.

    >>> tunedeck.notes_dataframe("song.musicxml").head(2)
       part measure  onset  duration  tick  pitch name
    0     0       0    0.0       1.0     0     67   G4
    1     0       1    1.0       0.5   480     66  F#4
    """
    import pandas as pd

    name = source_path(source)
    if name is not None:
        with open(name, "rb") as f:
            data = f.read()
    elif isinstance(source, SOURCE_TYPES):
        data = source
    else:
        raise TypeError(f"notes_dataframe takes a path or a file's bytes; not {type(source).__name__}")
    try:
        columns = _core.note_columns(data, bool(unfold_repeats))
    except ValueError as e:
        shown = os.fsdecode(name) if name is not None else None
        raise MidiFileError("reader", "Midifile1_Error", str(e), shown) from None
    return pd.DataFrame(columns, columns=NOTE_COLUMNS)


def midi_files(*paths, errors: str = "warn") -> Iterator[str]:
    """The files a collection run reads, as tunedeck-detect lists them (the core's walk): each
    folder walked for .mid, .midi and .kar files and the scores .musicxml and .mxl (any case)
    and .xml files that are scores, its entries in byte order of their
    names, a subfolder at its place among them; anything else as it stands. Entries the walk
    cannot use (broken links, loops, unreadable files) are left out, and raised as
    MidiFileError, warned of (FileWarning) or passed over as ``errors`` says."""
    errors = errors_choice(errors)
    files, problems = _core.midi_files([os.fsencode(p) for p in paths])
    reported([(i, "file-open", "file-refused", "File Open Error", why) for i, (_path, why) in enumerate(problems)],
             [os.fsdecode(path) for path, _why in problems], errors)
    yield from (os.fsdecode(f) for f in files)


def table(items: list, options: dict, profile: bool) -> dict:
    """The rows of files, by path (str) or contents, as columns (without "file"), in this process."""
    columns = {name: [] for name in COLUMNS if name != "file"}
    columns["problems"] = []
    for start, (rows, _chords), group, core in _groups(items, options, profile):
        part = rows(group, core)
        columns["problems"].extend((start + i, *rest) for i, *rest in part.pop("problems"))
        for name, values in part.items():
            columns[name].extend(values)
    columns["key_name"] = [None if code is None else key_of(code).name for code in columns["key_code"]]
    return columns


def chord_table(items: list, options: dict) -> dict:
    """The chords of files, by path (str) or contents, as columns, "file" the place of each
    one's file in items, in this process."""
    columns = {name: [] for name in CHORD_COLUMNS}
    columns["problems"] = []
    for start, (_rows, chords), group, core in _groups(items, options):
        part = chords(group, core)
        part["file"] = [start + i for i in part["file"]]
        columns["problems"].extend((start + i, *rest) for i, *rest in part.pop("problems"))
        for name in CHORD_COLUMNS:
            columns[name].extend(part[name])
    return columns


def rows_of(items: list, columns: dict, errors: str = "ignore") -> Iterator[dict]:
    reported(columns.pop("problems", ()), names_of(items), errors)
    names = [c for c in COLUMNS if c != "file"]
    for i, file in enumerate(names_of(items)):
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
                 batch: int | None = None, processes: bool = False, errors: str = "warn", **options) -> Iterator[dict]:
    """Analyses many files and yields one row (a dict of COLUMNS) per file, in the order of
    ``paths``; folders are walked as midi_files() walks them. A file's contents may stand for
    its path, as analyse() takes them (its row's "file" is None).

    Each analysis has an engine of its own and runs without the GIL, so ``jobs`` threads
    (default: the number of cores) run at once; ``jobs=1`` runs here. ``processes=True`` runs
    them in worker processes instead, so a file that crashes the engine costs only its worker;
    those are started with "spawn", so a script that asks for them needs the usual
    ``if __name__ == "__main__":`` guard. A file that cannot be read gives a row too, with its
    outcome and reason, and ``errors`` says what more: "warn" (the default) warns of it
    (tunedeck.FileWarning, naming the file and why), "raise" raises the error analyse() would
    raise for it, "ignore" says nothing; entries the walk cannot use likewise.
    ``profile=False`` leaves the profile analysis
    out, as tunedeck-detect's text and CSV do. ``progress=True`` draws a bar on stderr. The
    other options are analyse()'s.
    """
    # Checked here, not when the rows are first asked for.
    checked = choices("analyse_many", **options)
    profile = flag("profile", profile)
    errors = errors_choice(errors)
    files = entries(paths, errors)
    tables = _tables(files, table, (checked, profile), *batching(jobs, batch, progress, processes))
    return (row for items, columns in tables for row in rows_of(items, columns, errors))


def chords_dataframe(paths: Iterable, *, jobs: int | None = None, progress: bool = False,
                     batch: int | None = None, processes: bool = False, errors: str = "warn",
                     **options) -> pd.DataFrame:
    """Every chord of many files as one pandas DataFrame, one row a chord, the columns of
    CHORD_COLUMNS: "file", then the fields of tunedeck.Chord. Files come in the order of
    ``paths``, each one's chords in time order (a file past the event buffer's up to the
    limit); a file without chords (refused, without notes) has no rows, and one that gave no
    analysis is warned of, raised or passed over as ``errors`` says. Folders, ``jobs``,
    ``processes``, ``progress``, ``batch``, ``errors`` and the other options are analyse_many()'s.

    >>> chords = tunedeck.chords_dataframe(["~/midi/pop909"], jobs=2)
    >>> chords.groupby("file").size().describe()         # chords a song
    >>> chords[chords.roman == "V7/V"].file.nunique()    # songs with a secondary dominant
    """
    checked = choices("chords_dataframe", **options)
    errors = errors_choice(errors)
    files = entries(paths, errors)
    columns: dict = {name: [] for name in CHORD_COLUMNS}
    for items, part in _tables(files, chord_table, (checked,), *batching(jobs, batch, progress, processes)):
        names = names_of(items)
        reported(part.pop("problems"), names, errors)
        part["file"] = [names[i] for i in part["file"]]
        for name in CHORD_COLUMNS:
            columns[name].extend(part[name])
    return chord_frame(columns)


def batching(jobs, batch, progress, processes) -> tuple:
    """How a batch run goes, checked."""
    return count("jobs", jobs), count("batch", batch), flag("progress", progress), flag("processes", processes)


def _tables(files: list, work, arguments: tuple, jobs: int | None, batch: int | None,
            progress: bool, processes: bool = False) -> Iterator[tuple[list, dict]]:
    """Batches of the files, each with the columns work(items, *arguments) gives for them, in
    their order; in threads (or worker processes) unless there is one job or one batch."""
    jobs = max(1, jobs or os.cpu_count() or 1)
    # Batches of a few dozen files keep a worker busy for tenths of a second, and leave some
    # to share out at the end.
    size = batch or max(1, min(64, -(-len(files) // (4 * jobs))))
    batches = _batches(files, size)
    bar = _Progress(len(files)) if progress and files else None
    if jobs == 1 or len(batches) == 1:
        yield from _advancing(batches, (work(b, *arguments) for b in batches), bar)
        return
    if processes:
        pool = concurrent.futures.ProcessPoolExecutor(max_workers=jobs, mp_context=multiprocessing.get_context("spawn"))
    else:
        pool = concurrent.futures.ThreadPoolExecutor(max_workers=jobs)
    with pool:
        results = pool.map(work, batches, *([a] * len(batches) for a in arguments))
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


def to_dataframe(rows: Iterable[dict]) -> pd.DataFrame:
    """The rows of analyse_many() as a pandas DataFrame, one row a file, in their order."""
    rows = list(rows)
    return frame({name: [row[name] for row in rows] for name in COLUMNS})
