#!/usr/bin/env bash
# Set up, build and start Tunedeck. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/bin/tunedeck "$@"
