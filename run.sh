#!/usr/bin/env bash
# Installs what is missing, builds everything, and starts the simulator on the bundled default data.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup-debian.sh
cmake -S . -B build
cmake --build build -j "$(nproc)"

program=build/program/marovin
if [ ! -x "$program" ]; then
  echo "Built the libraries and their tests; the simulator program itself is not built yet, so there is nothing to start."
  exit 0
fi
exec "$program" "$@"
