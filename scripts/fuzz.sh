#!/usr/bin/env bash
# Builds the MIDI file reader's fuzzer with clang and sanitizers, writes a fresh seed
# corpus and fuzzes for FUZZ_SECONDS (60 by default). Exits non-zero on any finding.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build-fuzz
seconds=${FUZZ_SECONDS:-60}

cmake -S . -B "$build" -G Ninja -DTUNEDECK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C "$build" midifile_fuzz makeseeds

corpus="$build/corpus"
findings="$build/findings"
log="$build/fuzz.log"
rm -rf "$corpus" "$findings"
mkdir -p "$corpus" "$findings"
"$build/bin/makeseeds" "$corpus"

# libFuzzer stops at the first crash, leak, sanitizer report or timeout and saves the input.
status=0
"$build/bin/midifile_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?

executed=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
if [[ $status -ne 0 ]] || grep -q 'runtime error:\|ERROR: \(AddressSanitizer\|LeakSanitizer\|libFuzzer\)' "$log" \
    || [[ -n $(ls -A "$findings") ]]; then
    tail -n 60 "$log"
    echo "fuzzing found a problem (exit status $status); inputs in $findings, log in $log" >&2
    exit 1
fi
if [[ -z $executed ]]; then
    tail -n 20 "$log"
    echo "no final statistics in $log" >&2
    exit 1
fi
echo "fuzzing ran $executed executions clean in ${seconds} s (log: $log)"
