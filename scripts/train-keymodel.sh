#!/usr/bin/env bash
# Trains the key and harmony network from scratch and writes it for the core
# (app/core/keymodel/fittedkeymodel.h, tests/keymodel/keymodelreference.*): the shared sets' beat
# frames through the Python package, then one model on all of them. Needs python3-torch and
# ../shared; CI never runs it. With --cross-validate, the grouped 5-fold figures instead
# (docs/PROFILE-ANALYSIS.md), written to /tmp/keymodel-scores.json.
#   scripts/train-keymodel.sh [--cross-validate] [train.py's options]
set -euo pipefail
cd "$(dirname "$0")/.."
/usr/bin/python3 -c "import torch" 2>/dev/null ||
    { echo "train-keymodel: needs Debian's python3-torch (apt-get install python3-torch)" >&2; exit 2; }
[ -d ../shared/corpus ] && [ -d ../shared/training ] ||
    { echo "train-keymodel: needs ../shared/corpus and ../shared/training" >&2; exit 2; }
# The package (build-python/venv), which reads the frames as the core does.
scripts/test-python.sh -q -k beat_frames
python=build-python/venv/bin/python
"$python" tools/keymodel/dataset.py --shared ../shared
if [ "${1:-}" = --cross-validate ]; then
    shift
    exec "$python" tools/keymodel/train.py "$@"
fi
exec "$python" tools/keymodel/train.py --final "$@"
