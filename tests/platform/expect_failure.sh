#!/bin/sh
# expect_failure.sh PATTERN COMMAND...: passes when COMMAND exits non-zero and exactly
# one line of its standard error matches PATTERN (grep -E).
pattern=$1
shift
err=$("$@" 2>&1 >/dev/null)
rc=$?
if [ "$rc" -eq 0 ]; then
  echo "expected a failure, got exit 0: $*"
  exit 1
fi
if [ "$(printf '%s\n' "$err" | grep -Ec "$pattern")" -ne 1 ]; then
  echo "expected one line matching '$pattern', got (exit $rc):"
  printf '%s\n' "$err"
  exit 1
fi
echo "ok (exit $rc): $err"
