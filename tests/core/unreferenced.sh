#!/bin/sh
# Fails when a library given references a symbol the pattern matches: the core references no
# Qt (it builds where Qt is not), and the libraries the page links reference no key network
# (its weights stay out of the page's module).
#   unreferenced.sh WHAT PATTERN LIBRARY...
what=$1
pattern=$2
shift 2
status=0
for library in "$@"; do
    found=$(nm -C --undefined-only "$library" | grep -E "$pattern" | grep -v 'ticksPerQuarter' | head -5)
    if [ -n "$found" ]; then
        echo "$library references $what:"
        echo "$found"
        status=1
    fi
done
[ $status -eq 0 ] && echo "no $what symbol in $# libraries"
exit $status
