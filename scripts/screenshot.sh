#!/usr/bin/env bash
# Starts Tunedeck on a virtual display and saves pictures of its windows into docs/: the
# main window, About and Read Me in the default theme, and the main window again in a dark
# desktop theme (tunedeck-dark.png, through qt6ct's "darker" colours and the Fusion style).
# Usage: scripts/screenshot.sh [file.mid]   (set BUILD_DIR to use another build tree)
# With a file (by default the first of examples/), the main window is shown after a fast
# detection of it. The file is copied into /tmp/music first, so the pictures show that
# neutral path rather than this machine's.
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
file=""
if [[ $# -gt 0 ]]; then
    file=$1
else
    shopt -s nullglob
    examples=(examples/*.mid)
    if [[ ${#examples[@]} -gt 0 ]]; then
        file=${examples[0]}
    fi
fi

scratch=$(mktemp -d)
music=/tmp/music
made_music=""
cleanup() {
    rm -rf "$scratch"
    if [[ -n "$shown" ]]; then rm -f "$shown"; fi
    if [[ -n "$made_music" ]]; then rmdir "$music" 2>/dev/null || true; fi
}
shown=""
trap cleanup EXIT
args=(--silent)
if [[ -n "$file" ]]; then
    if [[ ! -d "$music" ]]; then
        mkdir -p "$music"
        made_music=1
    fi
    target="$music/$(basename "$file")"
    if [[ -e "$target" ]] && ! cmp -s "$file" "$target"; then
        echo "screenshot.sh: $target exists and is another file; move it away first" >&2
        exit 1
    fi
    [[ -e "$target" ]] || { cp "$file" "$target"; shown=$target; }
    args+=("$target")
fi

# A private runtime folder keeps Qt from warning about a missing one.
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
run() {
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/tunedeck" "$@"
}
echo "Saved:"
run --screenshot docs "${args[@]}"

# The dark theme as a desktop without KDE or GNOME sets it: qt6ct's platform theme.
if [[ -f /usr/share/qt6ct/colors/darker.conf ]]; then
    mkdir -p "$scratch/config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\nstyle=Fusion\n' \
        > "$scratch/config/qt6ct/qt6ct.conf"
    XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORMTHEME=qt6ct \
        run --screenshot "$scratch/dark" "${args[@]}" >/dev/null
    cp "$scratch/dark/tunedeck-main.png" docs/tunedeck-dark.png
    echo "docs/tunedeck-dark.png"
else
    echo "screenshot.sh: qt6ct is missing (Debian: apt-get install qt6ct); no dark picture" >&2
fi
