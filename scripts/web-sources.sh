#!/usr/bin/env bash
# The sources of the libraries the page links (pugixml, zlib, minizip), as Debian 12 ships them,
# fetched by `apt-get source` into build-web/sources/<package>. The page cannot link the
# machine's compiled libraries, so emscripten builds them from these (cmake/webdependencies.cmake).
# apt runs on a private configuration under build-web/apt (its own source list, state and cache,
# no parts from /etc/apt): the machine's apt setup is neither read nor changed. apt checks the
# downloads against Debian's signed indexes, with the archive keyring the machine already has.
#   scripts/web-sources.sh [DIR]   DIR defaults to build-web (relative to the checkout)
# Quiet when the sources are already there.
set -euo pipefail
cd "$(dirname "$0")/.."
base=$(realpath -m "${1:-build-web}")
sources=$base/sources
# Debian's libminizip comes from its own source package (a fix the zlib package's copy lacks).
packages=(pugixml zlib minizip)
mirror=${TUNEDECK_DEBIAN_MIRROR:-http://deb.debian.org}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

complete() {
    local p
    for p in "${packages[@]}"; do [ -f "$sources/$p/.tunedeck-version" ] || return 1; done
}
complete && exit 0

for tool in apt-get dpkg-source; do
    command -v "$tool" >/dev/null || { echo "web-sources: $tool is missing (Debian: apt, dpkg-dev)" >&2; exit 1; }
done
[ -f "$keyring" ] || { echo "web-sources: $keyring is missing (Debian: debian-archive-keyring)" >&2; exit 1; }

apt=$base/apt
mkdir -p "$apt"/{etc/parts,etc/sourceparts,etc/preferences.d,state/lists/partial,cache/archives/partial} "$sources"
: >"$apt/state/status"
cat >"$apt/etc/sources.list" <<EOF
deb-src [signed-by=$keyring] $mirror/debian bookworm main
EOF
cat >"$apt/apt.conf" <<EOF
Dir::Etc "$apt/etc";
Dir::Etc::sourcelist "$apt/etc/sources.list";
Dir::Etc::sourceparts "$apt/etc/sourceparts";
Dir::Etc::parts "$apt/etc/parts";
Dir::Etc::preferencesparts "$apt/etc/preferences.d";
Dir::State "$apt/state";
Dir::State::status "$apt/state/status";
Dir::Cache "$apt/cache";
APT::Sandbox::User "$(id -un)";
Acquire::Languages "none";
EOF
export APT_CONFIG=$apt/apt.conf

# Debian's package registry must answer before anything else is tried.
if ! apt-get update -qq >"$apt/update.log" 2>&1; then
    echo "web-sources: cannot read the source indexes from $mirror (log: $apt/update.log)" >&2
    exit 1
fi

downloads=$base/apt/downloads
for p in "${packages[@]}"; do
    [ -f "$sources/$p/.tunedeck-version" ] && continue
    rm -rf "$downloads" "$sources/$p"
    mkdir -p "$downloads"
    # apt checks each file's hash against the signed index before dpkg-source unpacks it, with
    # Debian's patches applied.
    (cd "$downloads" && apt-get source -qq --download-only "$p" >/dev/null)
    dsc=$(ls "$downloads"/*.dsc)
    dpkg-source --no-check --no-copy -x "$dsc" "$sources/$p" >/dev/null
    basename "$dsc" .dsc >"$sources/$p/.tunedeck-version"
    echo "web-sources: $(cat "$sources/$p/.tunedeck-version") in $sources/$p"
done
rm -rf "$downloads"
