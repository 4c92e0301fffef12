#!/usr/bin/env bash
# Unpacks the real Godot engine that ../shared/engine holds (or the folder
# TOVARUNE_ENGINE_DIR names) into build/engine/, checks it against its
# SHA256SUMS, and builds the real extension against the godot-cpp sources
# there (build-extension/; the library lands in demo/addons/tovarune/bin/).
# Without that folder it says so and does nothing. tools/setup.sh runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

source_dir="${TOVARUNE_ENGINE_DIR:-../shared/engine}"
if [ ! -f "$source_dir/godot.linuxbsd.editor.x86_64.xz" ]; then
  echo "No engine in $source_dir: the checks in a real engine will skip"
  exit 0
fi
source_dir="$(cd "$source_dir" && pwd)"
engine=build/engine
mkdir -p "$engine"
# Unpacked once; a changed archive is unpacked again.
unpack() { # archive, unpacked file
  if [ ! -f "$engine/$2" ] || [ "$source_dir/$1" -nt "$engine/$2" ]; then
    xz -dc "$source_dir/$1" >"$engine/$2.part"
    chmod +x "$engine/$2.part"
    mv "$engine/$2.part" "$engine/$2"
  fi
}
unpack godot.linuxbsd.editor.x86_64.xz godot.linuxbsd.editor.x86_64
[ -f "$source_dir/godot.linuxbsd.template_debug.x86_64.xz" ] &&
  unpack godot.linuxbsd.template_debug.x86_64.xz godot.linuxbsd.template_debug.x86_64
if [ -f "$source_dir/SHA256SUMS" ]; then
  (cd "$engine" && sha256sum --quiet --ignore-missing -c "$source_dir/SHA256SUMS")
fi
if [ ! -f "$engine/godot-cpp/CMakeLists.txt" ]; then
  tar -xJf "$source_dir"/godot-cpp-*.tar.xz -C "$engine"
fi

cmake -S . -B build-extension -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOVARUNE_BUILD_TESTS=OFF \
  "-DTOVARUNE_GODOT_CPP=$PWD/$engine/godot-cpp"
cmake --build build-extension --target tovarune_extension
