#!/bin/sh
# Fails when a library given references a symbol of Qt: the core builds where Qt is not.
status=0
for library in "$@"; do
    found=$(nm -C --undefined-only "$library" | grep -E '\bQ[A-Z][A-Za-z]*(::|\b)|\bqt_|\bQt::|\bq[A-Z][a-z]+\(' \
        | grep -v 'ticksPerQuarter' | head -5)
    if [ -n "$found" ]; then
        echo "$library references Qt:"
        echo "$found"
        status=1
    fi
done
[ $status -eq 0 ] && echo "no Qt symbol in $# libraries"
exit $status
