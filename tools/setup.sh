#!/usr/bin/env bash
# Sets up a Debian 12 machine for tovarune and builds everything into build/:
# the host library, the test suite, the fake cores and the test ROMs; then the
# host and its tests for Windows into build-windows/; then, where the real
# engine is beside the checkout (../shared/engine), the real extension.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config
  python3 xz-utils unzip   # godot-cpp's generator; the engine's archives; the package checks
  googletest libgtest-dev libbenchmark-dev
  retroarch-dev       # libretro.h
  cc65                # assembles the test ROMs
  binutils-mipsel-linux-gnu     # the PlayStation program of the engine checks
  binutils-m68k-linux-gnu binutils-arm-none-eabi nasm  # the programs of tools/core-check.sh
  clang-format
  zip                 # tools/package.sh
  clang-14 libclang-rt-14-dev   # libFuzzer, for tools/fuzz.sh
  libretro-nestopia libretro-gambatte libretro-mgba
  libretro-bsnes-mercury-performance libretro-beetle-pce-fast
  libretro-desmume libretro-beetle-vb libretro-beetle-wswan freedoom   # tools/core-check.sh
  # OpenGL cores: Mesa's EGL and llvmpipe (no GPU or display needed), the
  # headers the host and the fake core are built with, and an X server for
  # Wine's OpenGL
  libegl1 libegl-mesa0 libgl1-mesa-dri libgles2 libegl-dev libgl-dev libgles-dev xvfb xauth
  # Windows: the -posix MinGW compilers (the -win32 ones lack std::thread and
  # std::mutex), and Wine to run the Windows tests.
  g++-mingw-w64-x86-64-posix wine64 wine
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

# The same host and tests for Windows x86-64, run under Wine by tools/test.sh.
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
cmake --build build-windows

# The real engine and extension, for the checks in a real engine.
tools/engine-setup.sh
