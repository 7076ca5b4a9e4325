"""tunedeck-detect against the Python package, per file, on the same files.

The command's time per file is its CPU time (its own and its workers') over all the files less
that over the first alone, divided by the files but one: the start of the process and its
worker drop out. Python's is tunedeck.analyse(path).to_dict() (or with profile lines'
counterpart, the same run) in this process. Rounds alternate and the best of each is kept,
since the machine may be shared.

    build-python/venv/bin/python bench/detectspeed.py [--detect build/bin/tunedeck-detect]
        [--rounds 5] [FOLDER]
"""

import argparse
import os
import resource
import subprocess
import time
from pathlib import Path

import tunedeck

ROOT = Path(__file__).resolve().parents[1]
SETS = {"--json": ["--json"], "--second-key": ["--second-key"], "text": [], "csv": ["--format", "csv"]}


def children_cpu() -> float:
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def command_cpu(detect: str, options: list[str], files: list[str]) -> float:
    before = children_cpu()
    subprocess.run([detect, "--jobs", "1", *options, *files], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=False)
    return children_cpu() - before


def command_round(detect: str, options: list[str], files: list[str]) -> float:
    """ms of CPU a file, the process's start left out."""
    whole = command_cpu(detect, options, files)
    one = min(command_cpu(detect, options, files[:1]) for _ in range(3))
    return (whole - one) * 1000 / (len(files) - 1)


def python_round(files: list[str]) -> float:
    cpu = time.process_time()
    for f in files:
        tunedeck.analyse(f).to_dict()
    return (time.process_time() - cpu) * 1000 / len(files)


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", nargs="?", default=str(ROOT.parent / "shared/corpus/pop909"))
    parser.add_argument("--detect", default=str(ROOT / "build/bin/tunedeck-detect"))
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    files = sorted(str(p) for p in Path(args.folder).glob("*.mid"))
    if len(files) < 2:
        raise SystemExit(f"need two or more .mid files in {args.folder}")
    python_round(files[:5])  # imports and first touches
    best = {name: float("inf") for name in [*SETS, "python"]}
    for _ in range(args.rounds):
        for name, options in SETS.items():
            best[name] = min(best[name], command_round(args.detect, options, files))
        best["python"] = min(best["python"], python_round(files))
    print(f"{len(files)} files of {args.folder}, CPU ms a file, best of {args.rounds} rounds")
    print(f"  python analyse().to_dict()       {best['python']:.3f}")
    for name in SETS:
        print(f"  tunedeck-detect --jobs 1 {name:<10} {best[name]:.3f}  ({best[name] / best['python']:.2f}x python)")


if __name__ == "__main__":
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    main()
