#!/bin/sh
# Runs a command that must fail cleanly: a non-zero exit that is not a signal, and
# exactly one line on standard error.
err=$(mktemp)
"$@" >/dev/null 2>"$err"
rc=$?
lines=$(wc -l <"$err")
cat "$err"
rm -f "$err"
if [ "$rc" -eq 0 ]; then echo "expected failure, got exit 0"; exit 1; fi
if [ "$rc" -ge 128 ]; then echo "killed by signal $((rc - 128))"; exit 1; fi
if [ "$lines" -ne 1 ]; then echo "expected one line on stderr, got $lines"; exit 1; fi
exit 0
