"""Collections on a Dask cluster: a Dask DataFrame of rows, one machine or many.

Each task analyses a batch of files (a task per file would cost more than the file), and its
worker process runs the engine one file at a time, so give workers one thread each and as
many processes as cores::

    from dask.distributed import Client, LocalCluster
    client = Client(LocalCluster(n_workers=4, threads_per_worker=1))   # this machine
    # client = Client("tcp://scheduler-host:8786")                     # a running cluster
    df = tunedeck.dask.analyse(["/data/midi"], partition_size=200).compute()

On a cluster, start the workers with ``dask worker tcp://scheduler-host:8786 --nworkers N
--nthreads 1`` in an environment where tunedeck is installed. Paths are read by the workers,
so they must see the same files at the same paths (shared storage); where they cannot, read
the files here and hand over their contents: ``analyse(tunedeck.dask.read_files(paths))``.
"""

from __future__ import annotations

import os
from collections.abc import Iterable

import dask
import dask.bag
import dask.dataframe as dd

from . import _core
from ._choices import choices, core_options
from ._collection import COLUMNS, as_list, frame, midi_files, table

__all__ = ["analyse", "read_files"]


def _meta():
    return frame({name: [] for name in COLUMNS})


def _paths_frame(files: list[str], start: int, options: dict, profile: bool):
    columns = table([os.fsencode(f) for f in files], options, profile)
    columns["file"] = files
    return frame(columns, index=range(start, start + len(files)))


def _contents_frame(items: list, options: dict, profile: bool):
    names = [item[0] if isinstance(item, tuple) else None for item in items]
    contents = [item[1] if isinstance(item, tuple) else item for item in items]
    columns = _core.table_of_contents(contents, core_options(options, profile))
    columns["file"] = [None if n is None else os.fsdecode(n) for n in names]
    return frame(columns)


def analyse(source, partition_size: int = 200, *, profile: bool = True, **options) -> dd.DataFrame:
    """A Dask DataFrame of one row per file, the columns of tunedeck.COLUMNS, computed on the
    current Dask client (dask.distributed) or, without one, Dask's local scheduler.

    ``source``: paths of files and folders (folders walked here, as midi_files() does; the
    workers open the files), or a ``dask.bag.Bag`` whose items are a file's bytes or
    (name, bytes) pairs (each of its partitions a task). ``partition_size``: files per task
    for paths. ``profile`` and the other options are analyse_many()'s.

    The rows of paths keep their order, indexed from 0; a bag's rows are indexed within each
    partition.
    """
    checked = choices(**options)
    if isinstance(source, dask.bag.Bag):
        parts = [dask.delayed(_contents_frame, pure=True)(part, checked, profile) for part in source.to_delayed()]
        return dd.from_delayed(parts, meta=_meta(), verify_meta=False)
    files = list(midi_files(*as_list(source)))
    if partition_size < 1:
        raise ValueError("partition_size is at least 1")
    starts = list(range(0, len(files), partition_size))
    parts = [dask.delayed(_paths_frame, pure=True)(files[s:s + partition_size], s, checked, profile) for s in starts]
    if not parts:
        return dd.from_pandas(_meta(), npartitions=1)
    return dd.from_delayed(parts, meta=_meta(), divisions=[*starts, len(files) - 1], verify_meta=False)


def read_files(paths: Iterable, partition_size: int = 200) -> dask.bag.Bag:
    """A bag of (name, bytes) of the files under paths, read here, for workers that cannot
    see them; its data travels with the tasks."""
    files = list(midi_files(*as_list(paths)))
    items = []
    for f in files:
        with open(f, "rb") as handle:
            items.append((f, handle.read()))
    return dask.bag.from_sequence(items, partition_size=partition_size)
