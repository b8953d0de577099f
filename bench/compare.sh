#!/usr/bin/env bash
# Runs the benchmarks of two build trees one after the other, program by
# program, and prints each one's median and spread side by side, so that a
# change is judged on figures taken in the same run on the same machine.
#   bench/compare.sh OLD_BUILD NEW_BUILD [REPETITIONS] [PROGRAM...]
set -euo pipefail
old="$1"; new="$2"; reps="${3:-9}"; shift $(( $# > 2 ? 3 : 2 ))
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=(script_bench blocks_bench list_bench undo_bench find_bench catalogue_bench)
here="$(cd "$(dirname "$0")" && pwd)"
export QT_QPA_PLATFORM=offscreen
for p in "${programs[@]}"; do
  for tree in "$old" "$new"; do
    [ -x "$tree/bin/$p" ] || { echo "$tree: pas de $p"; continue; }
    echo "== $p ($tree)"
    "$tree/bin/$p" --benchmark_repetitions="$reps" --benchmark_format=json 2>/dev/null | "$here/medians.py"
  done
done
