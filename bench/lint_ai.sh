#!/usr/bin/env bash
# Times `vardelo lint` on a generated AI of 150 files (about 240,000 lines):
# the entry alone (its parts followed from the AI folder and judged with the
# constants of all of them), and every file given one by one in one process,
# as a build without whole-AI checks judged them; with a second build folder,
# that build's lint of every file too. cat of all the files is timed in the
# same run. Prints the median, fastest and slowest of RUNS runs (default 9).
# Usage: bench/lint_ai.sh [BUILD_DIR] [RUNS] [OTHER_BUILD_DIR]
set -euo pipefail
BUILD="$(cd "${1:-build}" && pwd)"
RUNS="${2:-9}"
OTHER="${3:+$(cd "$3" && pwd)}"
DIR="$(mktemp -d)"
trap 'rm -rf "$DIR"' EXIT
"$BUILD/bin/script_bench" --write "$DIR/gros.per"
mkdir -p "$DIR/IA"
head -n 1610 "$DIR/gros.per" > "$DIR/modele"
rm "$DIR/gros.per" # the AI folder holds the AI alone
printf '(defconst commun-bois 200)\r\n' > "$DIR/ia.per"
for k in $(seq 1 149); do
  printf '(load "IA\\\\partie-%s")\r\n' "$k" >> "$DIR/ia.per"
  sed -e "s/seuil-ble-/p$k-seuil-/g" -e 's/(stock bois >= 200)/(stock bois >= commun-bois)/' \
      "$DIR/modele" > "$DIR/IA/partie-$k.per"
done
echo "IA: $(ls "$DIR/IA" | wc -l) parties et l'entrée, $(cat "$DIR/ia.per" "$DIR"/IA/*.per | wc -l) lignes"

time_one() { # prints seconds for one run of "$@"
  local s e
  s=$(date +%s%N); "$@" > /dev/null 2>&1 || true; e=$(date +%s%N)
  echo "scale=4; ($e - $s) / 1000000000" | bc
}
summary() { # median, min, max of the numbers on stdin
  sort -n | awk '{a[NR]=$1} END {printf "médiane %.3f s (de %.3f à %.3f s)\n", a[int((NR+1)/2)], a[1], a[NR]}'
}
cd "$DIR"
: > entry; : > each; : > other; : > cat
for _ in $(seq "$RUNS"); do
  time_one "$BUILD/bin/vardelo" lint ia.per >> entry
  time_one "$BUILD/bin/vardelo" lint ia.per IA/*.per >> each
  [ -z "$OTHER" ] || time_one "$OTHER/bin/vardelo" lint ia.per IA/*.per >> other
  time_one cat ia.per IA/*.per >> cat
done
echo "lint de l'entrée seule (l'IA entière):        $(summary < entry)"
echo "lint de chaque fichier donné:                 $(summary < each)"
[ -z "$OTHER" ] || echo "lint de chaque fichier, l'autre compilation:  $(summary < other)"
echo "cat de tous les fichiers:                     $(summary < cat)"
