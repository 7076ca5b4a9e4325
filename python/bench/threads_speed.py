"""analyse() in one thread against two, on the shared corpus's pop songs (or the files given).

Each analysis has an engine of its own and runs without the GIL, so two threads should take
about half the time on two cores. The files are read first; each round analyses all of them
with analyse().to_dict() in one thread, then shared out over two threads, and the best round
of each is reported, with whether the two gave the same results.

    build-python/venv/bin/python python/bench/threads_speed.py [--rounds 5] [--threads 2] [files...]
"""

import argparse
import concurrent.futures
import time
from pathlib import Path

import tunedeck

ROOT = Path(__file__).resolve().parents[2]


def run(contents: list[bytes], threads: int) -> tuple[float, list[dict]]:
    start = time.perf_counter()
    if threads == 1:
        results = [tunedeck.analyse(c).to_dict() for c in contents]
    else:
        with concurrent.futures.ThreadPoolExecutor(threads) as pool:
            results = list(pool.map(lambda c: tunedeck.analyse(c).to_dict(), contents))
    return time.perf_counter() - start, results


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="*")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--threads", type=int, default=2)
    args = parser.parse_args()
    files = args.files or sorted(str(p) for p in (ROOT.parent / "shared/corpus/pop909").glob("*.mid"))
    if not files:
        raise SystemExit("no files: give some, or put the shared corpus beside the project")
    contents = [Path(f).read_bytes() for f in files]
    one = many = float("inf")
    same = True
    for _ in range(args.rounds):
        t1, serial = run(contents, 1)
        t2, threaded = run(contents, args.threads)
        one, many = min(one, t1), min(many, t2)
        same = same and serial == threaded
    n = len(contents)
    print(f"{n} files, best of {args.rounds}: 1 thread {1000 * one / n:.3f} ms a file, "
          f"{args.threads} threads {1000 * many / n:.3f} ms a file: {one / many:.2f}x, "
          f"results {'identical' if same else 'DIFFERENT'}")


if __name__ == "__main__":
    main()
