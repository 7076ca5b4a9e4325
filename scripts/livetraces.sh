#!/bin/sh
# Writes tunedeck-detect --live-trace for every file of the shared corpus, for
# tunedeck-livescore --traces: scripts/livetraces.sh [build dir] [corpus] [out dir]
set -e
build=${1:-build}
corpus=${2:-../shared/corpus}
out=${3:-$build/livetraces}
for set in pop909 bach wir; do
    mkdir -p "$out/$set"
    for f in "$corpus/$set"/*.mid; do
        "$build/bin/tunedeck-detect" --live-trace "$f" > "$out/$set/$(basename "$f").jsonl"
    done
done
echo "$out"
