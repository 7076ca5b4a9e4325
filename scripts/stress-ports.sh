#!/bin/sh
# Runs the MIDI port tests many times in a row, to show that opening and closing JACK ports
# never crashes. Usage: scripts/stress-ports.sh [BUILD_DIR] [RUNS] [--busy]
# --busy keeps every core busy meanwhile. Failing runs' logs are kept in a temporary folder.
set -u
build=${1:-build}
runs=${2:-200}
busy=${3:-}
logs=$(mktemp -d)
burners=""
if [ "$busy" = "--busy" ]; then
    for _ in $(seq "$(nproc)"); do
        sh -c 'while :; do :; done' &
        burners="$burners $!"
    done
fi
trap '[ -n "$burners" ] && kill $burners 2>/dev/null' EXIT INT TERM
failed=0
crashed=0
for run in $(seq "$runs"); do
    for test in ports_test runnerlisten_test portswindow_test; do
        log="$logs/$test.$run.log"
        if ! QT_QPA_PLATFORM=offscreen "$build/bin/$test" >"$log" 2>&1; then
            failed=$((failed + 1))
            grep -q "Received signal" "$log" && crashed=$((crashed + 1))
        else
            rm -f "$log"
        fi
    done
done
echo "$runs runs of ports_test, runnerlisten_test and portswindow_test${busy:+ with every core busy}: $failed failed, $crashed crashed (logs: $logs)"
[ "$failed" -eq 0 ]
