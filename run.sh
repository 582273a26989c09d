#!/usr/bin/env bash
# Installs what is missing, builds what it starts (the simulator, the library it draws through and
# the default program folder, build/Marovin/, from which it reads its data) and starts it. The
# tests, fuzz targets and benchmarks are test.sh's to build.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target marovin program_folder

program=build/Marovin/marovin
if [ ! -x "$program" ]; then
  echo "The build did not make $program, so there is nothing to start."
  exit 1
fi
echo "Starting $program; it reads its missions, models and sounds from build/Marovin/."
cd build/Marovin
exec ./marovin "$@"
