#!/usr/bin/env bash
# Installs the Python package (python/) into build-python/venv, a virtual environment over
# Debian's own Python and its packages (PEP 668 keeps pip out of the system's), offline, and
# runs its tests. The comparisons with tunedeck-detect take build/bin's (scripts/build.sh);
# they and the corpus test skip without it or without ../shared/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-python
# Debian's python3 by its full path: another may come first on PATH.
[ -x "$out/venv/bin/python" ] || /usr/bin/python3 -m venv --system-site-packages "$out/venv"
TUNEDECK_PYTHON_BUILD="$PWD/$out" "$out/venv/bin/pip" install --quiet --no-build-isolation --no-index \
    ./python
cd python
TUNEDECK_DETECT="${TUNEDECK_DETECT:-$OLDPWD/build/bin/tunedeck-detect}" \
    "../$out/venv/bin/python" -m pytest -p no:cacheprovider "$@"
