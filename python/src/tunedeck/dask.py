"""Collections on a Dask cluster: a Dask DataFrame of rows, one machine or many.

Each task analyses a batch of files (a task per file would cost more than the file). Each
analysis has an engine of its own and runs without the GIL, so a worker's threads run side by
side: threads, processes or both, as for any Dask work::

    from dask.distributed import Client, LocalCluster
    client = Client(LocalCluster(n_workers=1, threads_per_worker=4))   # this machine
    # client = Client("tcp://scheduler-host:8786")                     # a running cluster
    df = tunedeck.dask.analyse(["/data/midi"], partition_size=200).compute()

``tunedeck.dask.chords`` takes the same sources and gives a row a chord, the columns of
tunedeck.CHORD_COLUMNS.

On a cluster, start the workers with ``dask worker tcp://scheduler-host:8786`` in an
environment where tunedeck is installed. Paths are read by the workers,
so they must see the same files at the same paths (shared storage); where they cannot, read
the files here and hand over their contents: ``analyse(tunedeck.dask.read_files(paths))``.
"""

from __future__ import annotations

import os
from collections.abc import Iterable

import dask
import dask.bag
import dask.dataframe as dd

from ._choices import choices, count, flag
from ._collection import (CHORD_COLUMNS, COLUMNS, as_list, chord_frame, chord_table, entries, frame, midi_files,
                          names_of, table)
from ._errors import errors_choice, reported

__all__ = ["analyse", "chords", "read_files"]


def _meta():
    return frame({name: [] for name in COLUMNS})


def _chord_meta():
    return chord_frame({name: [] for name in CHORD_COLUMNS})


def _named(items) -> tuple[list, list]:
    """A bag partition's names (None where bytes came alone) and contents."""
    items = list(items)
    names = [os.fsdecode(item[0]) if isinstance(item, tuple) and item[0] is not None else None for item in items]
    return names, [item[1] if isinstance(item, tuple) else item for item in items]


def _items_frame(items: list, start: int, options: dict, profile: bool, errors: str):
    columns = table(items, options, profile)
    columns["file"] = names_of(items)
    reported(columns.pop("problems"), columns["file"], errors)
    return frame(columns, index=range(start, start + len(items)))


def _contents_frame(part, start: int, options: dict, profile: bool, errors: str):
    names, contents = _named(part)
    columns = table(contents, options, profile)
    columns["file"] = names
    reported(columns.pop("problems"), names, errors)
    return frame(columns, index=range(start, start + len(contents)))


def _chord_items_frame(items: list, options: dict, errors: str):
    columns = chord_table(items, options)
    names = names_of(items)
    reported(columns.pop("problems"), names, errors)
    columns["file"] = [names[i] for i in columns["file"]]
    return chord_frame(columns)


def _chord_contents_frame(part, options: dict, errors: str):
    names, contents = _named(part)
    columns = chord_table(contents, options)
    reported(columns.pop("problems"), names, errors)
    columns["file"] = [names[i] for i in columns["file"]]
    return chord_frame(columns)


def _files(source, partition_size, errors: str) -> list:
    if count("partition_size", partition_size) is None:
        raise TypeError("partition_size takes a whole number from 1")
    return entries(source, errors)


def _starts(bag: dask.bag.Bag) -> list:
    """Where each partition of the bag begins among its items, known when the tasks run: the
    rows of a bag are numbered through, as those of paths are."""
    lengths = [dask.delayed(_length, pure=True)(part) for part in bag.to_delayed()]
    return [dask.delayed(sum, pure=True)(lengths[:i]) if i else 0 for i in range(len(lengths))]


def _length(part) -> int:
    return len(part) if hasattr(part, "__len__") else sum(1 for _ in part)


def analyse(source, partition_size: int = 200, *, profile: bool = True, errors: str = "warn",
            **options) -> dd.DataFrame:
    """A Dask DataFrame of one row per file, the columns of tunedeck.COLUMNS, computed on the
    current Dask client (dask.distributed) or, without one, Dask's local scheduler.

    ``source``: paths of files and folders (folders walked here, as midi_files() does; the
    workers open the files), files' bytes among them as analyse_many() takes them, or a ``dask.bag.Bag`` whose items are a file's bytes or
    (name, bytes) pairs (each of its partitions a task). ``partition_size``: files per task
    for paths. ``profile``, ``errors`` and the other options are analyse_many()'s: the tasks
    warn or raise where they run (a cluster's warnings go to its workers' logs).

    The rows keep their order, indexed from 0 through all of them: a bag's too (the index of
    each of its partitions follows from the lengths of those before it).
    """
    checked = choices("analyse", **options)
    profile = flag("profile", profile)
    errors = errors_choice(errors)
    if isinstance(source, dask.bag.Bag):
        parts = [dask.delayed(_contents_frame, pure=True)(part, start, checked, profile, errors)
                 for part, start in zip(source.to_delayed(), _starts(source))]
        return dd.from_delayed(parts, meta=_meta(), verify_meta=False)
    files = _files(source, partition_size, errors)
    starts = list(range(0, len(files), partition_size))
    parts = [dask.delayed(_items_frame, pure=True)(files[s:s + partition_size], s, checked, profile, errors)
             for s in starts]
    if not parts:
        return dd.from_pandas(_meta(), npartitions=1)
    return dd.from_delayed(parts, meta=_meta(), divisions=[*starts, len(files) - 1], verify_meta=False)


def chords(source, partition_size: int = 200, *, errors: str = "warn", **options) -> dd.DataFrame:
    """A Dask DataFrame of every chord of the files, one row a chord, the columns of
    tunedeck.CHORD_COLUMNS, as tunedeck.chords_dataframe() gives them; ``source`` and
    ``partition_size`` are analyse()'s, ``errors`` and the other options analyse_many()'s.

    Files keep their order and each one's chords theirs. How many chords a task finds is
    known only when it has run, so each partition is indexed from 0:
    ``chords(paths).compute().reset_index(drop=True)`` equals ``tunedeck.chords_dataframe(paths)``.

    >>> chords = tunedeck.dask.chords(["/data/midi"], partition_size=200)
    >>> chords.groupby("symbol").size().nlargest(10).compute()
    """
    checked = choices("chords", **options)
    errors = errors_choice(errors)
    if isinstance(source, dask.bag.Bag):
        parts = [dask.delayed(_chord_contents_frame, pure=True)(part, checked, errors) for part in source.to_delayed()]
    else:
        files = _files(source, partition_size, errors)
        parts = [dask.delayed(_chord_items_frame, pure=True)(files[s:s + partition_size], checked, errors)
                 for s in range(0, len(files), partition_size)]
    if not parts:
        return dd.from_pandas(_chord_meta(), npartitions=1)
    return dd.from_delayed(parts, meta=_chord_meta(), verify_meta=False)


def read_files(paths: Iterable, partition_size: int = 200, *, errors: str = "warn") -> dask.bag.Bag:
    """A bag of (name, bytes) of the files under paths, read here, for workers that cannot
    see them; its data travels with the tasks. Entries the walk cannot use: as ``errors`` says."""
    files = list(midi_files(*as_list(paths), errors=errors_choice(errors)))
    items = []
    for f in files:
        with open(f, "rb") as handle:
            items.append((f, handle.read()))
    return dask.bag.from_sequence(items, partition_size=partition_size)
