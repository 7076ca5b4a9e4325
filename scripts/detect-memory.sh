#!/bin/bash
# Peak memory of tunedeck-detect on a large collection: the pop songs of the shared corpus
# linked many times into a temporary folder (nothing is written beside the corpus), run
# per output format with 1 and 2 workers, and again with twice the files, which should
# cost no more memory. Peak RSS is the command's or its largest worker's, as
# /usr/bin/time -v reports it.
#   scripts/detect-memory.sh [build dir] [corpus] [copies of the songs, default 16]
set -eu
build=${1:-build}
corpus=${2:-../shared/corpus}
copies=${3:-16}
detect="$build/bin/tunedeck-detect"
songs=("$corpus"/pop909/*.mid)
[ -x "$detect" ] || { echo "no $detect" >&2; exit 1; }
[ -e "${songs[0]}" ] || { echo "no pop songs in $corpus/pop909" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian: time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
link() { # link N: copies 1..N of the songs under $work/N
    for ((c = 1; c <= $1; ++c)); do
        mkdir -p "$work/$1/$c"
        for f in "${songs[@]}"; do ln -s "$(realpath "$f")" "$work/$1/$c/"; done
    done
}
link "$copies"
link $((copies * 2))

printf '%-6s %5s %6s %12s %8s\n' format jobs files "peak RSS KB" seconds
for n in "$copies" $((copies * 2)); do
    files=$((n * ${#songs[@]}))
    for format in json csv text; do
        for jobs in 1 2; do
            /usr/bin/time -v -o "$work/time" "$detect" --format "$format" --jobs "$jobs" "$work/$n" \
                > "$work/out" 2> /dev/null || { echo "tunedeck-detect failed" >&2; exit 1; }
            if [ "$format" = json ]; then
                python3 -c 'import json, sys; assert len(json.load(open(sys.argv[1]))) == int(sys.argv[2])' \
                    "$work/out" "$files"
            fi
            rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
            secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
            printf '%-6s %5s %6s %12s %8s\n' "$format" "$jobs" "$files" "$rss" "$secs"
        done
    done
done
