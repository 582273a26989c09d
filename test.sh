#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a plain build, and a build under
# AddressSanitizer and UndefinedBehaviorSanitizer that also replays every fuzz corpus. The plain run
# also runs each test binary whole, shuffled and repeated, in one process; the sanitizer run keeps to
# a process per test case for its time. A test that hangs fails at its timeout. Neither build keeps
# full debug information (each test binary links most of the program, and with it both builds
# need over 11 GB): the plain build keeps none, the sanitizer build the line tables its reports name.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

jobs=$(nproc)
echo "Free disk space where the builds go: $(df -h --output=avail . | tail -1 | tr -d ' ')"
status=0
run_suite() {
  local dir=$1 selection=$2; shift 2
  cmake -S . -B "$dir" -DMAROVIN_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300 $selection || status=1
}
run_suite build-test "" -DCMAKE_BUILD_TYPE=Release
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
run_suite build-sanitize "--label-exclude whole" -DCMAKE_BUILD_TYPE=Debug -DMAROVIN_SANITIZE=ON
exit $status
