#!/usr/bin/env bash
# The shipped program holds the file layer but none of the tests' seams: no
# fault injector, no counts of what was written or read. Reads the symbols of
# the program the package is made from (the package's copy is stripped).
#   tests/install/no_test_seams.sh NM PROGRAM
set -euo pipefail

nm_tool="$1"
program="$2"
symbols="$("$nm_tool" -C "$program")"
# Without the file layer's own names there is nothing to judge by.
grep -q 'pelloquin::files::StartCopies' <<<"$symbols" ||
  { echo "$program: the file layer's symbols are not there to read"; exit 1; }
if grep -E 'pelloquin::fault::|pelloquin::files::Statistics|pelloquin::HeaderReadStatistics' \
  <<<"$symbols"; then
  echo "$program holds the tests' seams (above)"
  exit 1
fi
