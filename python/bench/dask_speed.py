"""tunedeck.dask.analyse on a local cluster of two worker processes against
`tunedeck-detect --jobs 2`, in files per second over the same 16,000 files: the shared corpus'
pop909 and wir songs copied over and over into a folder outside the repository.

The command runs in its text and CSV formats (Tonalyte alone) and as JSON Lines (with the
profile analysis, as the JSON always has it); Dask with profile=False and profile=True, so
that each pair does the same work. The cluster's start-up (two worker processes, and a first
small run that has them import tunedeck and pandas) is timed apart.

    build-python/venv/bin/python python/bench/dask_speed.py [--folder /tmp/tunedeck-16000] [--rounds 3]
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def make_folder(folder: Path, corpus: Path, count: int) -> None:
    sources = sorted(p for sub in ("pop909", "wir") for p in (corpus / sub).glob("*.mid"))
    if folder.is_dir() and sum(1 for _ in folder.rglob("*.mid")) == count:
        return
    shutil.rmtree(folder, ignore_errors=True)
    for i in range(count):
        copy = folder / f"copy{i // len(sources):03}" / sources[i % len(sources)].name
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(sources[i % len(sources)], copy)


def children_cpu() -> float:
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def time_command(command: Path, folder: Path, form: str) -> tuple[float, float]:
    """Wall and CPU seconds (the command and its workers)."""
    start, cpu = time.perf_counter(), children_cpu()
    subprocess.run([command, "--jobs", "2", "--format", form, folder], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - start, children_cpu() - cpu


def time_dask(client, folder: Path, files: int, partition_size: int, profile: bool) -> tuple[float, float]:
    """Wall and CPU seconds (this process, which holds the scheduler, and the workers)."""
    import tunedeck.dask

    workers, cpu, start = client.run(time.process_time), time.process_time(), time.perf_counter()
    df = tunedeck.dask.analyse([folder], partition_size=partition_size, profile=profile).compute()
    wall = time.perf_counter() - start
    after = client.run(time.process_time)
    assert len(df) == files and (df["outcome"] == "reported").all()
    return wall, time.process_time() - cpu + sum(after[w] - workers[w] for w in workers)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--folder", type=Path, default=Path("/tmp/tunedeck-16000"))
    parser.add_argument("--files", type=int, default=16000)
    parser.add_argument("--corpus", type=Path, default=ROOT.parent / "shared" / "corpus")
    parser.add_argument("--command", type=Path, default=ROOT / "build" / "bin" / "tunedeck-detect")
    parser.add_argument("--partition-size", type=int, default=400)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    make_folder(args.folder, args.corpus, args.files)

    start = time.perf_counter()
    from dask.distributed import Client, LocalCluster

    import tunedeck
    import tunedeck.dask

    cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None)
    client = Client(cluster)
    first = sorted(args.folder.rglob("*.mid"))[:4]
    tunedeck.dask.analyse(first, partition_size=2).compute()
    startup = time.perf_counter() - start

    times = {name: [] for name in ("command text", "command csv", "command jsonl", "dask profile=False",
                                   "dask profile=True")}
    # In turns, so that a busy moment of the machine falls on both alike.
    for _ in range(args.rounds):
        for form in ("text", "csv", "jsonl"):
            times[f"command {form}"].append(time_command(args.command, args.folder, form))
        for profile in (False, True):
            times[f"dask profile={profile}"].append(time_dask(client, args.folder, args.files, args.partition_size,
                                                              profile))
    client.close()
    cluster.close()

    print(f"{args.files} files, {args.partition_size} a task, {args.rounds} rounds, load average "
          f"{os.getloadavg()[0]:.2f} on {os.cpu_count()} cores; cluster start-up {startup:.2f} s")
    rate = {name: args.files / min(w for w, _ in ts) for name, ts in times.items()}
    for name, ts in times.items():
        walls = [w for w, _ in ts]
        cpu = min(c for _, c in ts) * 1000 / args.files
        print(f"{name:20} best {rate[name]:7.0f} files/s ({min(walls):.2f} s; median {statistics.median(walls):.2f} s)"
              f", {cpu:.3f} ms CPU a file")
    print(f"dask against the command: {rate['dask profile=False'] / rate['command csv']:.0%} without the profile "
          f"analysis (csv), {rate['dask profile=True'] / rate['command jsonl']:.0%} with it (jsonl); "
          f"{rate['dask profile=False'] / rate['command text']:.0%} of the text format")


if __name__ == "__main__":
    main()
