#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need; does nothing when they
# are all present already.
set -euo pipefail

packages=(
  # toolchain, tests, benchmarks, fuzzing
  g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  # clang-query: the test that every program-wide state variable the program reads has a writer
  # walks clang's AST of the program, which sees writes through references that a text search cannot
  clang-tools-14
  # dialogs and the main window; joysticks and sound; rendering; images; glyphs
  qt6-base-dev libsdl2-dev libsdl2-mixer-dev libegl-dev libgl-dev libgl1-mesa-dri libstb-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # the X server's display outputs and modes for the launcher's mode list
  libxrandr-dev
  # compressed X model files
  zlib1g-dev
  # PNG and JPEG decoding: libspng and libjpeg-turbo, fuzzed upstream and faster than stb_image
  libspng-dev libturbojpeg0-dev
  # peers measured in bench/ and their test models
  lib3ds-dev libassimp-dev assimp-testmodels
  # the default data set: the bright-star list, the Earth and Moon maps, the pictures' font; voice
  # callouts and sound effects
  xplanet xplanet-images marble-qt-data fonts-liberation2 espeak-ng sox
  # a display for window tests
  xvfb xauth
  # MP3 writing for sox: the default music, the MP3 test fixtures and fuzz seeds
  libsox-fmt-mp3
  # X11 windows of the library's own (the script interpreter's window) where there is a display
  libx11-dev
  # a reader of AVI files that is not ours: the movie tests check that a standard player plays them
  ffmpeg
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
