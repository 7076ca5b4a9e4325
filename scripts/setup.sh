#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, or the packages named on
# its command line. Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    # build
    g++ cmake ninja-build pkg-config
    # program: Qt 6 Widgets, FluidSynth and a General MIDI soundfont
    qt6-base-dev qt6-qpa-plugins libfluidsynth-dev timgm6mb-soundfont
    # key map pictures as SVG
    qt6-svg-dev
    # MIDI ports (RtMidi on the ALSA sequencer and JACK) and WAV writing
    librtmidi-dev libjack-jackd2-dev libsndfile1-dev
    # a private JACK server with the dummy backend for the port tests
    jackd2
    # tests and benchmarks
    googletest libgtest-dev libbenchmark-dev
    # the command lines of the scoring tools (tools/): CLI11 instead of hand-written parsers
    libcli11-dev
    # the chord model's fit in the scoring tools: L-BFGS (LBFGS++) on Eigen, header-only
    liblbfgspp-dev libeigen3-dev
    # mir_eval, which the test chordscore_matches_mir_eval checks tunedeck-chordscore's chord
    # measures against
    python3-mir-eval
    # the core's JSON of a run, alike for the command, Python and the page
    nlohmann-json3-dev
    # scores (MusicXML): XML through pugixml, compressed .mxl through minizip and zlib, its
    # score unpacked by libdeflate
    libpugixml-dev libminizip-dev zlib1g-dev libdeflate-dev
    # the checks of annotated scores by other readers: the MusicXML schema (xmllint) and MuseScore
    libxml2-utils musescore3
    # the Python package (python/): pybind11 and setuptools build it into a virtual environment
    # (venv, pip); NumPy for events, mido for mido files, pandas and Dask (distributed) for
    # collections, pytest for its tests
    python3-dev python3-venv python3-pip python3-pybind11 python3-setuptools python3-numpy python3-mido
    python3-pandas python3-dask python3-distributed python3-pytest
    # fuzzing and sanitizer runtimes (clang)
    clang libclang-rt-14-dev llvm
    # a virtual display for screenshots, and a dark desktop theme for one of them
    xvfb xauth qt6ct
    # install tree and Debian package: icon rendering, validators, dpkg-shlibdeps; dpkg-source
    # also unpacks the page's library sources (scripts/web-sources.sh)
    librsvg2-bin desktop-file-utils appstream dpkg-dev
    # the layout check (scripts/check-house.py): functions measured by Universal Ctags, and
    # by acorn for the page's JavaScript
    universal-ctags node-acorn
    # the page (web/): the core compiled to WebAssembly, and a browser for its tests
    # (driven by playwright-core from web/package-lock.json, with no browser of its own)
    emscripten chromium
)

[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether JACK may use realtime priority: answered beforehand.
echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo[@]}" debconf-set-selections
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
