"""analyse() per file against the core's own time per file, on the shared corpus.

The core's time is tunedeck_pipeline_bench's BM_Corpus/1 (the Qt build's bench/pipelinebench.cpp:
read, gather, feed, both reports, the profile analysis and the texts, one file after the other);
Python's is tunedeck.analyse() on the same files in the same order, then with to_dict() as well.
Both are run in turns, several rounds, and each reports its best round in wall and CPU time,
since the machine may be shared.

    build-python/venv/bin/python python/bench/corpus_speed.py [--rounds 5] [--bench build/bin/tunedeck_pipeline_bench]
"""

import argparse
import json
import os
import statistics
import subprocess
import time
from pathlib import Path

import tunedeck

ROOT = Path(__file__).resolve().parents[2]


def corpus_files(corpus: Path) -> list[str]:
    # As BM_Corpus lists them: each folder of the corpus, its .mid files by name.
    return [str(f) for sub in sorted(p for p in corpus.iterdir() if p.is_dir()) for f in sorted(sub.glob("*.mid"))]


def core_round(bench: Path, files: int) -> tuple[float, float]:
    out = subprocess.run([bench, "--benchmark_filter=BM_Corpus/1$", "--benchmark_format=json",
                          "--benchmark_min_time=2"], capture_output=True, check=True, text=True).stdout
    run = json.loads(out)["benchmarks"][0]
    scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[run["time_unit"]]
    return run["real_time"] * scale / files, run["cpu_time"] * scale / files


def python_round(files: list[str], to_dict: bool) -> tuple[float, float]:
    wall, cpu = time.perf_counter(), time.process_time()
    passes = 0
    while time.perf_counter() - wall < 2:
        for f in files:
            a = tunedeck.analyse(f)
            if to_dict:
                a.to_dict()
        passes += 1
    n = passes * len(files)
    return (time.perf_counter() - wall) * 1000 / n, (time.process_time() - cpu) * 1000 / n


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--corpus", type=Path, default=ROOT.parent / "shared" / "corpus")
    parser.add_argument("--bench", type=Path, default=ROOT / "build" / "bin" / "tunedeck_pipeline_bench")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    files = corpus_files(args.corpus)
    results = {"core": [], "analyse()": [], "analyse().to_dict()": []}
    for _ in range(args.rounds):
        results["core"].append(core_round(args.bench, len(files)))
        results["analyse()"].append(python_round(files, False))
        results["analyse().to_dict()"].append(python_round(files, True))
    print(f"{len(files)} files, {args.rounds} rounds, load average {os.getloadavg()[0]:.2f} on {os.cpu_count()} cores")
    core_wall = min(w for w, _ in results["core"])
    core_cpu = min(c for _, c in results["core"])
    for name, rounds in results.items():
        wall = min(w for w, _ in rounds)
        cpu = min(c for _, c in rounds)
        print(f"{name:22} best {wall:.3f} ms/file wall ({wall / core_wall:.2f}x), {cpu:.3f} ms/file CPU "
              f"({cpu / core_cpu:.2f}x); median wall {statistics.median(w for w, _ in rounds):.3f}")


if __name__ == "__main__":
    main()
