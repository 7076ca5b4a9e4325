#!/usr/bin/env bash
# The page (web/): the core compiled to WebAssembly by Debian's emscripten, the page's own
# files, the synthesizer from npm (web/package-lock.json) and Debian's TimGM6mb soundfont,
# copied in at build time; pugixml, zlib and minizip built from Debian's sources
# (scripts/web-sources.sh). Nothing is fetched at run time.
#   scripts/web.sh [serve [PORT]]   builds into build-web/page and serves it on 127.0.0.1
#   scripts/web.sh build DIR        writes the finished static page into DIR
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-serve}
# A wrong call is told so before anything is built.
usage() { echo "usage: scripts/web.sh [serve [PORT]] | build DIR" >&2; exit 2; }
case $mode in
    build) [ $# -ge 2 ] || usage ;;
    serve) ;;
    *) usage ;;
esac

# Debian's emscripten runs its JavaScript tools on the machine's Node, which does not look
# in Debian's module folder by itself; its system libraries are built on first use, into a
# cache of our own (Debian's is read-only and frozen). Wasm SIMD, which every current browser
# runs, makes the analysis about a tenth faster; link-time optimisation made it slower.
export NODE_PATH=/usr/share/nodejs
export EM_CACHE=$root/build-web/emcache EM_FROZEN_CACHE=
# The XML and zip libraries the core reads scores with, from Debian's sources (apt-get source).
scripts/web-sources.sh build-web
if [ ! -f build-web/build.ninja ]; then
    mkdir -p build-web
    emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev -DTUNEDECK_WITH_QT=OFF \
        -DTUNEDECK_BUILD_TESTS=OFF -DTUNEDECK_BUILD_BENCH=OFF -DTUNEDECK_BUILD_TOOLS=OFF \
        -DCMAKE_CXX_FLAGS=-msimd128 >/dev/null
fi
cmake --build build-web --target tunedeck_web tunedeck_score_check -j2

# The npm packages as the lock file names them, installed again only when it changed.
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi

assemble() {
    local out=$1 synth=web/node_modules/js-synthesizer soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
    [ -f "$soundfont" ] || { echo "web.sh: $soundfont is missing (Debian: timgm6mb-soundfont)" >&2; exit 1; }
    mkdir -p "$out/vendor" "$out/sounds"
    cp -r web/page/. "$out/"
    cp build-web/bin/tunedeck.mjs build-web/bin/tunedeck.wasm data/icons/tunedeck.svg "$out/"
    cp "$synth/dist/js-synthesizer.min.js" "$synth/dist/js-synthesizer.worklet.min.js" "$out/vendor/"
    cp "$synth/externals/libfluidsynth-2.4.6.js" "$out/vendor/libfluidsynth.js"
    cp "$synth/LICENSE" "$out/vendor/LICENSE.js-synthesizer.txt"
    cp "$synth/externals/LICENSE.fluidsynth.txt" "$out/vendor/LICENSE.fluidsynth.txt"
    cp "$soundfont" "$out/sounds/TimGM6mb.sf2"
    cp /usr/share/doc/timgm6mb-soundfont/copyright "$out/sounds/TimGM6mb.copyright.txt"
}

case $mode in
    build)
        assemble "$2"
        echo "web.sh: the page is in $2"
        ;;
    serve)
        rm -rf build-web/page
        assemble build-web/page
        exec node web/serve.mjs build-web/page "${2:-8080}"
        ;;
esac
