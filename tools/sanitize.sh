#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan/ and runs it with ctest. Any report fails the run: a leak, a
# bad access, or undefined behaviour (UBSan halts at the first one).
#   tools/sanitize.sh            (ASAN_BUILD_DIR=... for another folder)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${ASAN_BUILD_DIR:-$PWD/build-asan}"

# CMake takes these at the first configure, for every program and the plug-in.
export CXXFLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer"
export LDFLAGS="-fsanitize=address,undefined"
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ] && command -v cmake >/dev/null 2>&1 \
   && dpkg-query -W -f='${Status}\n' qt6-base-dev libgtest-dev 2>/dev/null | grep -c "install ok installed" | grep -q 2; then
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDELO_BENCH=OFF
fi
# Installs what is missing (on a new machine it configures the folder itself,
# benchmarks included) and builds.
source tools/setup.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
# Qt's and fontconfig's allocations kept until exit, named in the file.
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
start=$(date +%s)
status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 || status=$?
echo "Tests sous AddressSanitizer et UndefinedBehaviorSanitizer: $(( $(date +%s) - start )) s"
exit $status
