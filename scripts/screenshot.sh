#!/usr/bin/env bash
# Starts Tunedeck on a virtual display and saves pictures of its windows into docs/.
# Usage: scripts/screenshot.sh [file.mid]   (set BUILD_DIR to use another build tree)
# With a file (by default the first of examples/), the main window is shown after a fast
# detection of it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
if [[ ! -x "$build/bin/tunedeck" ]]; then
    scripts/build.sh
fi
if ! command -v xvfb-run >/dev/null; then
    echo "screenshot.sh: xvfb-run is missing (Debian: apt-get install xvfb)" >&2
    exit 1
fi
args=(--silent --screenshot docs)
if [[ $# -gt 0 ]]; then
    args+=("$1")
else
    shopt -s nullglob
    examples=(examples/*.mid)
    if [[ ${#examples[@]} -gt 0 ]]; then
        args+=("${examples[0]}")
    fi
fi
# A private runtime folder keeps Qt from warning about a missing one.
if [[ -z "${XDG_RUNTIME_DIR:-}" ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
echo "Saved:"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/tunedeck" "${args[@]}"
