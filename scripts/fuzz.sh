#!/usr/bin/env bash
# Builds the fuzzers with clang and sanitizers, writes fresh seed corpora and fuzzes: the
# MIDI file reader alone for READER_SECONDS (30 by default), the score reader alone for
# SCORE_SECONDS (30), then the whole headless
# detection (reader, gathering, order, the feed through the engine linked in, both reports,
# the profile analysis, their texts and JSON, the chords' chart, CSV and marker copy) for
# FUZZ_SECONDS (60). Exits non-zero on any finding. Memory is capped (2 GB in all, 512 MB at
# once) so that an output growing with a file's ticks rather than its contents is a finding.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DTUNEDECK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -Wno-dev \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C "$build" midifile_fuzz detect_fuzz score_fuzz makeseeds

# run NAME SECONDS CORPUS: libFuzzer stops at the first crash, leak, sanitizer report,
# timeout or memory over the caps and saves the input.
run() {
    local name=$1 seconds=$2 corpus=$3
    local findings="$build/findings-$name" log="$build/$name.log" status=0
    rm -rf "$findings"
    mkdir -p "$findings"
    "$build/bin/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
    local executed
    executed=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
    if [[ $status -ne 0 ]] || grep -q 'runtime error:\|ERROR: \(AddressSanitizer\|LeakSanitizer\|libFuzzer\)' "$log" \
        || [[ -n $(ls -A "$findings") ]]; then
        tail -n 60 "$log"
        echo "$name found a problem (exit status $status); inputs in $findings, log in $log" >&2
        exit 1
    fi
    if [[ -z $executed ]]; then
        tail -n 20 "$log"
        echo "no final statistics in $log" >&2
        exit 1
    fi
    echo "$name ran $executed executions clean in ${seconds} s (log: $log)"
}

reader="$build/corpus-reader"
detect="$build/corpus-detect"
rm -rf "$reader" "$detect"
mkdir -p "$reader" "$detect"
"$build/bin/makeseeds" "$reader"
# The detection reads two option bytes first: all tracks and the defaults, one track with
# more sensitivity in 6/8, and no track chosen with "I don't known".
for seed in "$reader"/*; do
    name=$(basename "$seed")
    { printf '\000\002'; cat "$seed"; } >"$detect/$name-all"
    { printf '\341\003'; cat "$seed"; } >"$detect/$name-one"
    { printf '\001\000'; cat "$seed"; } >"$detect/$name-none"
done

run midifile_fuzz "${READER_SECONDS:-30}" "$reader"

# The score reader: a small score of its own, and the shared MusicXML test suite when it is
# there (read from its place; the corpus lives in the build folder). The first byte chooses
# whether repeats are unfolded.
scores="$build/corpus-score"
rm -rf "$scores"
mkdir -p "$scores"
printf '\001<score-partwise><part-list><score-part id="P1"/></part-list><part id="P1"><measure number="1"><attributes><divisions>2</divisions><time><beats>2</beats><beat-type>4</beat-type></time><transpose><chromatic>-2</chromatic></transpose></attributes><barline location="left"><repeat direction="forward"/></barline><note><pitch><step>C</step><alter>1</alter><octave>4</octave></pitch><duration>3</duration><tie type="start"/></note><note><chord/><unpitched><display-step>E</display-step><display-octave>4</display-octave></unpitched><duration>1</duration></note><backup><duration>3</duration></backup><forward><duration>1</duration></forward><note><grace/><pitch><step>D</step><octave>5</octave></pitch></note><direction><sound tempo="90"/></direction><barline><ending number="1" type="start"/><repeat direction="backward"/></barline></measure></part></score-partwise>' >"$scores/seed"
for suite in ../shared/scores/musicxml-testsuite/*.xml ../shared/scores/musicxml-testsuite/*.mxl; do
    [[ -f $suite ]] && { printf '\000'; cat "$suite"; } >"$scores/$(basename "$suite")"
done
run score_fuzz "${SCORE_SECONDS:-30}" "$scores"
run detect_fuzz "${FUZZ_SECONDS:-60}" "$detect"
