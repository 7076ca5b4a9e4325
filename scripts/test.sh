#!/usr/bin/env bash
# Set up, build and run the whole test suite: the Release tests, the Python package's tests,
# the core without Qt (a configure that does not look for Qt) with its tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, the timers and threads under ThreadSanitizer, a bounded
# fuzzing run of the MIDI file reader, the page (emscripten) in headless Chromium, then the
# Windows DLLs (MinGW-w64, Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== Release build and tests"
scripts/build.sh
ctest --test-dir build --output-on-failure -j 2 --timeout 300

echo "== The Python package: installed offline into a virtual environment, its tests"
scripts/test-python.sh

echo "== The core without Qt, its tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -Wno-dev \
    -DTUNEDECK_WITH_QT=OFF -DTUNEDECK_BUILD_BENCH=OFF -DTUNEDECK_SANITIZE=address,undefined >/dev/null
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j 2 --timeout 300

echo "== The timers and analyses in several threads under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -Wno-dev \
    -DTUNEDECK_WITH_QT=OFF -DTUNEDECK_BUILD_BENCH=OFF -DTUNEDECK_SANITIZE=thread >/dev/null
cmake --build build-tsan --target tonalyte_unit_tests tonalyte_api_tests core_tests
ctest --test-dir build-tsan --output-on-failure -R 'Timer|RealTime|Unload|Threads' --timeout 300

echo "== The page: the core compiled by emscripten, its tests in Debian's Chromium"
scripts/web.sh build build-web/page
(cd web && TUNEDECK_PAGE_DIR=../build-web/page TUNEDECK_DETECT=../build/bin/tunedeck-detect node --test tests/)

echo "== Fuzzing the MIDI file reader"
scripts/fuzz.sh

echo "== Windows DLLs: MinGW-w64 cross builds, export tables, tests under Wine"
scripts/test-windows.sh
