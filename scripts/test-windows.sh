#!/usr/bin/env bash
# Cross-builds Tonalyte.dll for 32- and 64-bit Windows with MinGW-w64, checks both export
# tables against engine/tonalyte.def and the 32-bit one's calling convention against
# engine/include/tonalyte.h, and runs the library's tests on the 64-bit DLL under Wine.
# 32-bit test programs are built, and run only where this machine can run them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS

# --- packages -------------------------------------------------------------------------
scripts/setup.sh cmake ninja-build googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64
installed=$SECONDS

wine64=/usr/lib/wine/wine64          # the plain wine launcher looks for the 32-bit loader first
wineserver=/usr/lib/wine/wineserver64
def=engine/tonalyte.def
header=engine/include/tonalyte.h
fail() { echo "test-windows: FAILED: $*" >&2; exit 1; }

# --- build ----------------------------------------------------------------------------
declare -A triplet=([i686]=i686-w64-mingw32 [x86_64]=x86_64-w64-mingw32)
for arch in i686 x86_64; do
    echo "== Windows $arch: Tonalyte.dll and its tests (MinGW-w64)"
    extra=()
    [ "$arch" = x86_64 ] && extra=(-DCMAKE_CROSSCOMPILING_EMULATOR="$wine64")
    cmake -S . -B "build-win-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
        -DTUNEDECK_BUILD_APP=OFF -DTUNEDECK_BUILD_BENCH=OFF \
        -DTUNEDECK_GTEST_SOURCE_DIR=/usr/src/googletest "${extra[@]}" >/dev/null
    cmake --build "build-win-$arch" -j 2 --target Tonalyte tonalyte_api_tests tonalyte_unit_tests
done

# --- export tables --------------------------------------------------------------------
# "ordinal name" lines, in ordinal order.
expected_exports() { awk '$2 ~ /^@[0-9]+$/ { print substr($2, 2), $1 }' "$def" | sort -n; }
actual_exports() {
    # objdump lists names with their index into the address table; ordinal = index + base.
    "${triplet[$1]}-objdump" -p "build-win-$1/bin/Tonalyte.dll" | awk '
        /^Ordinal Base/ { base = $3 }
        /\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
        names && /^$/ { names = 0 }
        names { gsub(/[][]/, " "); print $1 + base, $2 }' | sort -n
}
address_entries() {
    "${triplet[$1]}-objdump" -p "build-win-$1/bin/Tonalyte.dll" | grep -c '+base\['
}
want=$(expected_exports)
count=$(wc -l <<<"$want")
[ "$count" -eq 17 ] || fail "$def lists $count exports, not 17"
for arch in i686 x86_64; do
    got=$(actual_exports "$arch")
    if [ "$got" != "$want" ]; then
        diff -u <(echo "$want") <(echo "$got") | sed 's/^/    /' >&2 || true
        fail "Tonalyte.dll ($arch) exports differ from $def (- expected, + found)"
    fi
    entries=$(address_entries "$arch")
    [ "$entries" -eq "$count" ] || fail "Tonalyte.dll ($arch) has $entries address entries, not $count"
    echo "Tonalyte.dll ($arch): $count names, ordinals 1-$count as in $def, no others"
done
echo "$want" | awk '{ printf "    @%-2s %s\n", $1, $2 }' | pr -3 -t -w 96

# --- 32-bit calling convention --------------------------------------------------------
# stdcall decorates each name with its argument bytes: 4 for every int32_t and pointer.
expected_stdcall() {
    tr '\n' ' ' <"$header" | grep -o 'TONALYTE_CALL [A-Za-z0-9_]*([^)]*)' | awk '{
        sub(/^TONALYTE_CALL /, ""); name = $0; sub(/\(.*/, "", name)
        args = $0; sub(/^[^(]*\(/, "", args); sub(/\)$/, "", args)
        n = 0
        if (args !~ /^ *void *$/) {
            k = split(args, a, ",")
            for (i = 1; i <= k; i++) {
                if (a[i] !~ /\*/ && a[i] !~ /^ *(u?int32_t|float) /) { print "unknown argument size: " a[i] > "/dev/stderr"; exit 1 }
                n += 4
            }
        }
        print "_" name "@" n }' | sort
}
want_cc=$(expected_stdcall)
got_cc=$(i686-w64-mingw32-nm -g --defined-only \
    build-win-i686/engine/CMakeFiles/Tonalyte.dir/src/exports.cpp.obj | awk '$3 ~ /^_Key/ { print $3 }' | sort)
if [ "$got_cc" != "$want_cc" ]; then
    diff -u <(echo "$want_cc") <(echo "$got_cc") | sed 's/^/    /' >&2 || true
    fail "32-bit exports are not __stdcall with the argument bytes of $header (- expected, + found)"
fi
got_imp=$(i686-w64-mingw32-nm build-win-i686/engine/libTonalyte.dll.a |
    awk '$2 == "I" && $3 ~ /^__imp__Key/ { print substr($3, 7) }' | sort)
[ "$got_imp" = "$want_cc" ] || fail "the 32-bit import library does not carry the stdcall names of $header"
echo "Tonalyte.dll (i686): all 17 functions __stdcall, argument bytes as in $header:" \
    "$(grep -v '@0$' <<<"$want_cc" | tr '\n' ' ')(others @0)"

# --- linking with the import library ----------------------------------------------------
# Programs built with tonalyte.h and the import library must import the plain names too.
for arch in i686 x86_64; do
    "${triplet[$arch]}-g++-posix" -O2 -std=c++20 -static -static-libgcc -static-libstdc++ \
        -Iengine/include bench/timerdrift.cpp "build-win-$arch/engine/libTonalyte.dll.a" \
        -o "build-win-$arch/bin/tonalyte_timerdrift.exe"
    imports=$("${triplet[$arch]}-objdump" -p "build-win-$arch/bin/tonalyte_timerdrift.exe" |
        awk '/DLL Name:/ { dll = $3 } dll == "Tonalyte.dll" && $NF ~ /^Key/ { print $NF }' | sort | tr '\n' ' ')
    [ "$imports" = "KeyClearEvs KeyGetTimeTCnt KeyStartTimer KeyStopTimer " ] ||
        fail "tonalyte_timerdrift.exe ($arch) imports '$imports' from Tonalyte.dll"
    echo "tonalyte_timerdrift.exe ($arch), linked with libTonalyte.dll.a, imports: $imports"
done

# --- no MinGW runtime DLLs needed beside the programs -----------------------------------
for arch in i686 x86_64; do
    for f in build-win-$arch/bin/*.dll build-win-$arch/bin/*.exe; do
        other=$("${triplet[$arch]}-objdump" -p "$f" | awk '/DLL Name:/ { print $3 }' |
            grep -viE '^(kernel32|msvcrt|winmm|tonalyte)\.dll$' | tr '\n' ' ' || true)
        [ -z "$other" ] || fail "$f needs $other"
    done
done
echo "DLLs and test programs import only KERNEL32, msvcrt and WINMM (and Tonalyte.dll)"

# --- tests under Wine -----------------------------------------------------------------
built=$SECONDS
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tonalyte-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_wine() { "$wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
trap stop_wine EXIT

echo "== Windows x86_64: the library's tests under Wine ($("$wine64" --version))"
# A 64-bit-only prefix: wineboot's complaints about the missing 32-bit side go to a file.
"$wine64" wineboot --init >build-win-x86_64/wineboot.log 2>&1 ||
    { cat build-win-x86_64/wineboot.log >&2; fail "wineboot could not set up $WINEPREFIX"; }
# wineboot returns while the prefix's services still start: wait until they are done.
"$wineserver" -w
# The first program in a new prefix can still lose a race with its set-up: one more try.
logtest() {
    (cd build-win-x86_64/bin && "$wine64" tonalyte_api_tests.exe \
        --gtest_filter=LogTest.LogIsWrittenOnlyWhileSwitchedOn --gtest_brief=1)
}
# C:\KeyTest.txt is the test log's fixed place; Wine's C: drive is drive_c of the prefix.
log="$WINEPREFIX/drive_c/KeyTest.txt"
logtest || { echo "test-windows: the first Wine run failed (exit $?); trying once more" >&2; logtest; } ||
    fail "the log test did not run under Wine"
[ -f "$log" ] || fail "no test log at $log"
[ "$(tr -d '\r' <"$log")" = "(EvCod != 0x90) && (EvCod != 0x80)" ] ||
    fail "unexpected test log: $(cat -A "$log")"
echo "C:\\KeyTest.txt written as expected ($log)"
(cd build-win-x86_64/bin && "$wine64" tonalyte_timerdrift.exe 1) ||
    fail "tonalyte_timerdrift.exe could not run its timer under Wine"
# One test at a time: every log test writes the same C:\KeyTest.txt.
ctest --test-dir build-win-x86_64 --output-on-failure --timeout 300

echo "== Windows i686: the library's tests"
wine32=""
for w in /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine; do
    [ -x "$w" ] && { wine32=$w; break; }
done
if [ -z "$wine32" ]; then
    echo "32-bit tests built, not run: no 32-bit Wine loader (wine32) on this machine"
elif ! why=$("$wine32" --version 2>&1); then
    echo "32-bit tests built, not run: this machine cannot run 32-bit programs ($why)"
else
    for t in tonalyte_api_tests tonalyte_unit_tests; do
        (cd build-win-i686/bin && "$wine32" "$t.exe" --gtest_brief=1)
    done
fi

echo "test-windows: packages $((installed - started)) s, build and checks $((built - installed)) s," \
    "Wine tests $((SECONDS - built)) s"
