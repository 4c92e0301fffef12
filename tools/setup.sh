#!/usr/bin/env bash
# Sets up a Debian 12 machine for tovarune and builds everything into build/:
# the host library, the test suite, the fake cores and the test ROMs.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  retroarch-dev       # libretro.h
  cc65                # assembles the test ROMs
  clang-format
  libretro-nestopia libretro-gambatte libretro-mgba
  libretro-bsnes-mercury-performance libretro-beetle-pce-fast
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
