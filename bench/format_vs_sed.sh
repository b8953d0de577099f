#!/usr/bin/env bash
# Times `vardelo format` and `sed -e 's/^[[:space:]]*//'` as whole processes
# on the same generated script, side by side, and prints for each the median,
# the fastest and the slowest of RUNS runs (default 21), and its peak memory.
# Usage: bench/format_vs_sed.sh [BUILD_DIR] [RUNS]
set -euo pipefail
BUILD="${1:-build}"
RUNS="${2:-21}"
DIR="$(mktemp -d)"
trap 'rm -rf "$DIR"' EXIT
FILE="$DIR/gros.per"
"$BUILD/bin/script_bench" --write "$FILE"
echo "fichier: $(stat -c %s "$FILE") octets, $(wc -l < "$FILE") lignes"

time_one() { # prints seconds for one run of "$@"
  local s e
  s=$(date +%s%N); "$@" > /dev/null; e=$(date +%s%N)
  echo "scale=4; ($e - $s) / 1000000000" | bc
}
summary() { # median, min, max of the numbers on stdin
  sort -n | awk '{a[NR]=$1} END {printf "médiane %.3f s (de %.3f à %.3f s)\n", a[int((NR+1)/2)], a[1], a[NR]}'
}
: > "$DIR/vardelo"; : > "$DIR/sed"
for _ in $(seq "$RUNS"); do
  time_one "$BUILD/bin/vardelo" format "$FILE" >> "$DIR/vardelo"
  time_one sed -e 's/^[[:space:]]*//' "$FILE" >> "$DIR/sed"
done
echo "vardelo format: $(summary < "$DIR/vardelo")"
echo "sed:            $(summary < "$DIR/sed")"
peak() { # "$@" FILE: the command's peak resident memory in MB
  local kb
  kb=$( { /usr/bin/time -f %M "$@" "$FILE" > /dev/null; } 2>&1 | tail -1)
  echo "$((kb / 1024)) Mo"
}
echo "mémoire maximale: vardelo format $(peak "$BUILD/bin/vardelo" format)," \
     "vardelo check $(peak "$BUILD/bin/vardelo" check)," \
     "vardelo rows $(peak "$BUILD/bin/vardelo" rows)," \
     "sed $(peak sed -e 's/^[[:space:]]*//')"
