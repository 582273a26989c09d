#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a plain build, and a build under
# AddressSanitizer and UndefinedBehaviorSanitizer that also replays every fuzz corpus. The plain run
# also runs each test binary whole, shuffled and repeated, in one process; the sanitizer run keeps to
# a process per test case for its time. A test that hangs fails at its timeout.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

jobs=$(nproc)
status=0
run_suite() {
  local dir=$1 selection=$2; shift 2
  cmake -S . -B "$dir" -DMAROVIN_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300 $selection || status=1
}
run_suite build-test ""
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
run_suite build-sanitize "--label-exclude whole" -DCMAKE_BUILD_TYPE=Debug -DMAROVIN_SANITIZE=ON
exit $status
