#!/usr/bin/env bash
# Plays every libretro core present in a real Godot engine, headless: Debian's
# (/usr/lib/x86_64-linux-gnu/libretro) and those in the folder TOVARUNE_CORES_DIR
# names (cores built from their sources, say), one engine run per core, so that a
# core that crashes costs only its own line. Each core plays its test content
# (native/tests/engine/core_check.gd says which), answers its input, shows the
# expected picture and sound, and refuses bad content cleanly. Fails on any
# failed check, a crash, or an engine ERROR: line that is not a core's own log
# line. Needs GODOT_BIN (tools/test.sh sets it) and the extension and test ROMs of
# tools/setup.sh. TOVARUNE_CORES_DIR may hold a system/ folder (prboom.wad, say).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${GODOT_BIN:-}" ]; then
  echo "GODOT_BIN is not set: skipping the checks of real cores"
  exit 0
fi
started=$SECONDS
cores=()
for folder in /usr/lib/x86_64-linux-gnu/libretro ${TOVARUNE_CORES_DIR:+"$TOVARUNE_CORES_DIR"}; do
  [ -d "$folder" ] || continue
  for core in "$folder"/*_libretro.so; do
    [ -f "$core" ] && cores+=("$(cd "$(dirname "$core")" && pwd)/$(basename "$core")")
  done
done
if [ ${#cores[@]} -eq 0 ]; then
  echo "no libretro cores found: nothing to check"
  exit 0
fi

project="$(mktemp -d "${TMPDIR:-/tmp}/tovarune-cores.XXXXXX")"
trap 'rm -rf "$project"' EXIT
printf 'config_version=5\n\n[application]\n\nconfig/name="tovarune cores"\n' >"$project/project.godot"
mkdir -p "$project/addons" "$project/system"
cp -r demo/addons/tovarune "$project/addons/"
cp native/tests/engine/core_check.gd "$project/"
if [ -n "${TOVARUNE_CORES_DIR:-}" ] && [ -d "$TOVARUNE_CORES_DIR/system" ]; then
  cp -r "$TOVARUNE_CORES_DIR/system/." "$project/system/"
fi
("$GODOT_BIN" --headless --path "$project" --import || true) >/dev/null 2>&1
if ! grep -q tovarune "$project/.godot/extension_list.cfg" 2>/dev/null; then
  echo "FAIL: the engine did not register the extension (tools/setup.sh builds it)"
  exit 1
fi

status=0
passed=()
failed=()
skipped=()
for core in "${cores[@]}"; do
  name="$(basename "$core" _libretro.so)"
  echo "== $name ($core)"
  code=0
  output="$(timeout 120 "$GODOT_BIN" --headless --path "$project" --script res://core_check.gd -- \
    "--core=$core" "--roms=$PWD/build/roms" "--system=$project/system" \
    "--wads=/usr/share/games/doom" 2>&1)" || code=$?
  echo "$output" | grep -E '^(ok|FAIL|skip|note) ' || true
  grep -q '^skip ' <<<"$output" && skipped+=("$name")
  # A core's own warnings and errors reach the engine's output as "Core Libretro:"
  # lines; any other engine error is a fault.
  errors="$(grep -E 'ERROR:|leaked at exit' <<<"$output" | grep -v 'ERROR: Core Libretro: ' || true)"
  if [ -n "$errors" ]; then
    echo "$errors"
    code=1
  fi
  if [ "$code" -eq 0 ]; then
    passed+=("$name")
  else
    [ "$code" -ge 124 ] && echo "FAIL $name: the engine ended with code $code (a crash or a hang)"
    failed+=("$name")
    status=1
  fi
done
echo "cores passed (${#passed[@]}): ${passed[*]:-}"
echo "cores failed (${#failed[@]}): ${failed[*]:-}"
echo "cores with checks skipped (${#skipped[@]}, see their skip lines): ${skipped[*]:-}"
echo "core checks took $((SECONDS - started)) s"
exit "$status"
