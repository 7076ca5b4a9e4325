#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR with prefix /usr and checks what a desktop and
# man find there: the files, their validators (skipped when not installed), no invented
# address, and the installed command finding the installed library.
# Usage: installtree.sh BUILD_DIR APP_ID "ICON_SIZES"
set -uo pipefail
build=$1 id=$2 sizes=$3
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null || { echo "cmake --install failed"; exit 1; }
root=$dest/usr
failed=0
fail() { echo "FAIL: $*"; failed=1; }

files=(bin/tunedeck bin/tunedeck-detect lib/tunedeck/libTonalyte.so
       share/applications/$id.desktop share/metainfo/$id.metainfo.xml
       share/icons/hicolor/scalable/apps/$id.svg
       share/man/man1/tunedeck.1.gz share/man/man1/tunedeck-detect.1.gz
       share/doc/tunedeck/README.md share/tunedeck/examples/ode-to-joy.mid)
for f in "${files[@]}"; do [ -e "$root/$f" ] || fail "missing $f"; done
[ -e "$root/bin/libTonalyte.so" ] && fail "the library is also beside the programs"
# The installed README's pictures, at the paths it links them by.
doc=$root/share/doc/tunedeck
while read -r picture; do
    [ -e "$doc/$picture" ] || fail "README.md shows $picture, which is not installed beside it"
done < <(grep -o '!\[[^]]*\]([^)]*)' "$doc/README.md" | sed 's/.*](\([^) ]*\).*/\1/' | grep -v '^[a-z]*://')
for s in $sizes; do
    png=$root/share/icons/hicolor/${s}x${s}/apps/$id.png
    # PNG width and height: big-endian words at bytes 16 and 20.
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png" 2>/dev/null) || true
    [ "${w:-}" = "$s" ] && [ "${h:-}" = "$s" ] || fail "$png is not ${s}x${s}"
done

validate() {
    local tool=$1; shift
    if command -v "$tool" >/dev/null; then
        "$@" || fail "$tool"
    else
        echo "skipped: $tool is not installed"
    fi
}
validate desktop-file-validate desktop-file-validate "$root/share/applications/$id.desktop"
validate appstreamcli appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml"
for page in tunedeck tunedeck-detect; do
    validate man bash -c 'w=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null); [ -z "$w" ] || { echo "$w"; false; }' \
        _ "$root/share/man/man1/$page.1.gz"
done

grep -rIl -e 'tunedeck\.org' -e '@[a-z0-9-]*\.[a-z]' "$root/share/applications" "$root/share/metainfo" \
    && fail "an invented address in the desktop metadata"

out=$(env -u LD_LIBRARY_PATH "$root/bin/tunedeck-detect" "$root/share/tunedeck/examples/ode-to-joy.mid" 2>&1)
grep -q "Overall Key *D Major" <<<"$out" || fail "installed tunedeck-detect: $out"

[ $failed -eq 0 ] && echo "install tree: ${#files[@]} files and $(wc -w <<<"$sizes") icon sizes checked"
exit $failed
