#!/usr/bin/env bash
# Compares what two builds of tunedeck-detect print for the same files, option set by option
# set: text and CSV byte for byte, JSON value by value (the newer build may add fields), and
# --live-trace lines the same way. For refactorings that must not change what users see.
#   scripts/compare-detect.sh OLD_BIN_DIR NEW_BIN_DIR [corpus folder]
set -euo pipefail
[ $# -ge 2 ] && [ -x "$1/tunedeck-detect" ] && [ -x "$2/tunedeck-detect" ] ||
    { echo "usage: $0 OLD_BIN_DIR NEW_BIN_DIR [corpus]" >&2; exit 2; }
old=$(realpath "$1")/tunedeck-detect
new=$(realpath "$2")/tunedeck-detect
corpus=${3:-"$(dirname "$0")/../../shared/corpus"}
[ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 2; }
corpus=$(realpath "$corpus")
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Files every reader must refuse or read in its own way, beside the corpus.
"$python" - "$work/odd" <<'EOF'
import os, struct, sys
d = sys.argv[1]; os.makedirs(d)
def header(fmt, ntrk, div): return b"MThd" + struct.pack(">IHHH", 6, fmt, ntrk, div)
def track(body): return b"MTrk" + struct.pack(">I", len(body)) + body
notes = b"\x00\x90\x3c\x40\x60\x80\x3c\x00\x00\x90\x40\x40\x60\x80\x40\x00\x00\xff\x2f\x00"
tempo = b"\x00\xff\x51\x03\x07\xa1\x20\x00\xff\x2f\x00"
files = {
    "not-midi.mid": b"RIFF....",
    "empty.mid": b"",
    "short.mid": b"MTh",
    "truncated.mid": header(1, 2, 480) + track(tempo) + b"MTrk\x00\x00\x01\x00\x00\x90",
    "format0.mid": header(0, 1, 480) + track(notes),
    "format2.mid": header(2, 2, 480) + track(tempo) + track(notes),
    "smpte.mid": header(1, 2, 0xE728) + track(tempo) + track(notes),
    "division0.mid": header(1, 2, 0) + track(tempo) + track(notes),
    "nonotes.mid": header(1, 2, 480) + track(tempo) + track(b"\x00\xff\x2f\x00"),
    "fine.mid": header(1, 2, 480) + track(tempo) + track(notes),
    b"name-\xe9.mid": header(1, 2, 480) + track(tempo) + track(notes),
}
for name, data in files.items():
    path = os.path.join(d.encode(), name if isinstance(name, bytes) else name.encode())
    open(path, "wb").write(data)
os.makedirs(os.path.join(d, "folder.mid"))
EOF
odd=$work/odd

status=0
run() { # name, then the options and files
    local name=$1; shift
    (cd "$work" && "$old" -j 2 "$@" >"$work/$name.old" 2>/dev/null) || true
    (cd "$work" && "$new" -j 2 "$@" >"$work/$name.new" 2>/dev/null) || true
}
same_bytes() {
    if cmp -s "$work/$1.old" "$work/$1.new"; then echo "same   $1 ($(wc -l <"$work/$1.new") lines)"; else echo "DIFFER $1"; diff "$work/$1.old" "$work/$1.new" | head -20 || true; status=1; fi
}
same_json() { # the newer output may hold more fields, never other values
    if "$python" - "$work/$1.old" "$work/$1.new" "$2" <<'EOF'; then echo "same   $1 (JSON, $(wc -c <"$work/$1.new") bytes)"; else status=1; fi
import json, sys
def load(path, lines):
    text = open(path, encoding="utf-8", errors="surrogateescape").read()
    return [json.loads(l) for l in text.splitlines() if l.strip()] if lines == "lines" else json.loads(text)
def within(a, b, where):
    if isinstance(a, dict):
        if not isinstance(b, dict): raise SystemExit(f"{where}: not an object")
        for k, v in a.items():
            if k not in b: raise SystemExit(f"{where}.{k}: missing")
            within(v, b[k], f"{where}.{k}")
    elif isinstance(a, list):
        if not isinstance(b, list) or len(a) != len(b): raise SystemExit(f"{where}: list differs")
        for i, (x, y) in enumerate(zip(a, b)): within(x, y, f"{where}[{i}]")
    elif a != b: raise SystemExit(f"{where}: {a!r} became {b!r}")
old, new = load(sys.argv[1], sys.argv[3]), load(sys.argv[2], sys.argv[3])
within(old, new, "")
EOF
}

run text "$corpus" "$odd"
same_bytes text
run text-more -t 1 -s more -m 3/4 -k unknown --second-key "$corpus" "$odd"
same_bytes text-more
run text-split --split-format0 --all-bars -k 4 -m 6/8 "$odd" "$corpus/wir"
same_bytes text-split
run csv --format csv --notation camelot "$corpus" "$odd"
same_bytes csv
run csv-transposed --format csv --transpose -5 -s more "$corpus" "$odd"
same_bytes csv-transposed
run json --json "$corpus" "$odd"
same_json json whole
run json-options --json --transpose 3 --notation german --profile krumhansl-kessler --stay 0.99 -k 1 "$corpus"
same_json json-options whole
run jsonl --format jsonl --split-format0 --all-bars -t 2 "$corpus" "$odd"
same_json jsonl lines
# Key-signature copies, byte for byte, and the rows of the run that wrote them (into one
# folder name, which rows may hold).
for build in old new; do
    bin=$old; [ $build = new ] && bin=$new
    (cd "$work" && "$bin" -j 2 --format csv --write-key-signatures copies "$corpus" "$odd" >"$work/copies.$build" 2>/dev/null) || true
    mv "$work/copies" "$work/copies-$build"
done
same_bytes copies
if diff -r "$work/copies-old" "$work/copies-new" >/dev/null; then echo "same   copies ($(find "$work/copies-new" -type f | wc -l) files)"; else echo "DIFFER copies (files)"; status=1; fi
for f in "$corpus"/pop909/pop909-001.mid "$corpus"/bach/$(ls "$corpus"/bach | grep -m1 '\.mid$') \
         "$corpus"/wir/$(ls "$corpus"/wir | grep -m1 '\.mid$'); do
    run trace --live-trace "$f"
    same_json trace lines
    run trace-from --live-trace "$f" --from 20 -s more
    same_json trace-from lines
done
exit $status
