#!/usr/bin/env bash
# Times `vardelo format`, `sed -e 's/^[[:space:]]*//'` and `cat` as whole
# processes on the same generated script, in turn, and prints for each the
# median, the fastest and the slowest cpu time of RUNS runs (default 15), and
# its peak memory.
# Usage: bench/format_vs_sed.sh [BUILD_DIR] [RUNS]
set -euo pipefail
BUILD="${1:-build}"
RUNS="${2:-15}"
DIR="$(mktemp -d)"
trap 'rm -rf "$DIR"' EXIT
FILE="$DIR/gros.per"
"$BUILD/bin/script_bench" --write "$FILE"
echo "fichier: $(stat -c %s "$FILE") octets, $(wc -l < "$FILE") lignes"

# cpu time (user + system) of each command, run in turn
python3 "$(dirname "$0")/cputime.py" "$RUNS" \
  "vardelo format=$BUILD/bin/vardelo format $FILE" \
  "sed -e 's/^[[:space:]]*//'=sed -e s/^[[:space:]]*// $FILE" \
  "cat=cat $FILE"
peak() { # "$@" FILE: the command's peak resident memory in MB
  local kb
  kb=$( { /usr/bin/time -f %M "$@" "$FILE" > /dev/null; } 2>&1 | tail -1)
  echo "$((kb / 1024)) Mo"
}
echo "mémoire maximale: vardelo format $(peak "$BUILD/bin/vardelo" format)," \
     "vardelo check $(peak "$BUILD/bin/vardelo" check)," \
     "vardelo rows $(peak "$BUILD/bin/vardelo" rows)," \
     "sed $(peak sed -e 's/^[[:space:]]*//')"
