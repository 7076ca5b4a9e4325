#!/usr/bin/env bash
# Builds the Debian package of Tunedeck into build-deb/ (set BUILD_DIR to move it).
# TUNEDECK_HOMEPAGE=URL puts a web address the project owns into the package, the
# About and Read Me windows and the metainfo; by default there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${BUILD_DIR:-build-deb}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -Wno-dev \
    -DTUNEDECK_BUILD_TESTS=OFF -DTUNEDECK_BUILD_BENCH=OFF \
    -DTUNEDECK_HOMEPAGE="${TUNEDECK_HOMEPAGE:-}" >/dev/null
cmake --build "$build" -j 2
rm -f "$build"/tunedeck_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tunedeck_*.deb)
dpkg-deb --field "$deb" Package Version Architecture Depends
echo "$deb"
