#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a plain build, and a build under
# AddressSanitizer and UndefinedBehaviorSanitizer that also replays every fuzz corpus. The plain run
# also runs each test binary whole, shuffled and repeated, in one process; the sanitizer run keeps to
# a process per test case for its time. A test that hangs fails at its timeout. Each test program
# links most of the program, so the disk the builds need is kept down: the plain build keeps no
# debug information, and the sanitizer build keeps the line tables its reports name and builds,
# runs and deletes its test programs one at a time.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh

jobs=$(nproc)
echo "Free disk space where the builds go: $(df -h --output=avail . | tail -1 | tr -d ' ')"
status=0
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DMAROVIN_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 300 || status=1
}
# The tests whose label matches, but for the whole runs.
run_labelled() {
  ctest --test-dir "$1" -j "$jobs" --output-on-failure --timeout 300 --label-regex "^$2\$" \
    --label-exclude whole --no-tests=error || status=1
}
# The sanitizer build's test programs, a few at a time: built together, their tests run (each test
# carries its program's name as its label), then deleted before the next few are built.
run_apart() {
  local dir=$1 name file names=() files=() group=4 i; shift
  cmake -S . -B "$dir" -DMAROVIN_WERROR=ON -DMAROVIN_TESTS_APART=ON "$@"
  cmake --build "$dir" -j "$jobs"
  run_labelled "$dir" static
  while IFS=$'\t' read -r name file; do
    names+=("$name")
    files+=("$file")
  done < "$dir/test_programs.txt"
  for ((i = 0; i < ${#names[@]}; i += group)); do
    cmake --build "$dir" -j "$jobs" --target "${names[@]:i:group}"
    run_labelled "$dir" "($(IFS='|'; echo "${names[*]:i:group}"))"
    rm -f "${files[@]:i:group}"
  done
}
run_suite build-test -DCMAKE_BUILD_TYPE=Release
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
run_apart build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMAROVIN_SANITIZE=ON
exit $status
