#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a plain build, and a build under
# AddressSanitizer and UndefinedBehaviorSanitizer that also replays every fuzz corpus.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

jobs=$(nproc)
status=0
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DMAROVIN_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300 || status=1
}
run_suite build
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMAROVIN_SANITIZE=ON
exit $status
