#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for
# SECONDS (default 60) on a copy of its seed corpus, one after the other.
#   fuzz/run.sh [SECONDS] [TARGET...]     e.g. fuzz/run.sh 300 roundtrip
# A crash, a broken property or undefined behaviour leaves its input in
# build-fuzz/crashes/TARGET/ and fails the run.
set -euo pipefail
# Undefined behaviour stops the target as a crash does, with where it was.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(roundtrip writer catalogues symbols registry recovery checks lsp)
BUILD="${FUZZ_BUILD_DIR:-$PWD/build-fuzz}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "Installation de clang"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends clang
fi

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVARDELO_FUZZ=ON -DVARDELO_TESTS=OFF -DVARDELO_BENCH=OFF
fi
cmake --build "$BUILD" -j2 --target $(printf '%s_fuzzer ' "${TARGETS[@]}")

status=0
for t in "${TARGETS[@]}"; do
  work="$BUILD/corpus/$t"
  crashes="$BUILD/crashes/$t"
  mkdir -p "$work" "$crashes"
  cp -n fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
  echo "== $t: ${SECONDS_EACH} s"
  log="$BUILD/$t.log"
  if "$BUILD/bin/${t}_fuzzer" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -timeout=10 -rss_limit_mb=4096 \
       -artifact_prefix="$crashes/" "$work" >"$log" 2>&1; then
    result="ok"
  else
    result="ÉCHEC (voir $log et $crashes/)"
    status=1
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  echo "   $result: ${execs:-?} exécutions, couverture ${cov:-?} arêtes (${ft:-?} traits), corpus $(ls "$work" | wc -l) entrées"
done
exit $status
