#!/usr/bin/env bash
# Installs what is missing, builds everything, and starts the simulator in the default program
# folder that the build makes (build/Marovin/), from which it reads its data.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh
cmake -S . -B build
cmake --build build -j "$(nproc)"

program=build/Marovin/marovin
if [ ! -x "$program" ]; then
  echo "The build did not make $program, so there is nothing to start."
  exit 1
fi
echo "Starting $program; it reads its missions, models and sounds from build/Marovin/."
cd build/Marovin
exec ./marovin "$@"
