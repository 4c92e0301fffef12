#!/usr/bin/env bash
# Checks in a real Godot editor binary, named by GODOT_BIN (CI has none, so
# without it this only says it skipped): the demo plays each Debian core's test
# ROM headless, then the packaged addon, unzipped into an empty project, loads
# and passes the drop-in screen's checks (its input on a fake core of build/,
# and on a core of ours that rotates, retimes, rumbles, messages and shuts
# down), those of eight players at once, and those of cores that render with
# OpenGL. Needs the Linux template_debug library (docs/extension.md), and the
# test ROMs and fake cores of build/ (tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${GODOT_BIN:-}" ]; then
  echo "GODOT_BIN is not set: skipping the checks in a real Godot engine"
  exit 0
fi
cores=/usr/lib/x86_64-linux-gnu/libretro
roms=build/roms
frames="${TOVARUNE_CHECK_FRAMES:-300}"
status=0

# Importing registers the extension; some engine builds crash while quitting
# the import even so, which the check of the extension list below tells apart.
import() {
  ("$GODOT_BIN" --headless --path "$1" --import || true) >/dev/null 2>&1
  if ! grep -q tovarune "$1/.godot/extension_list.cfg" 2>/dev/null; then
    echo "FAIL: the engine did not register the extension in $1"
    exit 1
  fi
}
# Runs the engine, shows what it printed, and fails on a non-zero exit, a leak or
# any error the engine or a script printed.
run() {
  local output
  output="$(timeout 300 "$GODOT_BIN" --headless "$@" 2>&1)" || status=1
  echo "$output" | grep -v -E '^[A-Za-z]+ Engine v[0-9]' || true
  if grep -qE 'leaked at exit|ERROR:' <<<"$output"; then status=1; fi
}

import demo
for pair in nestopia:battery.nes gambatte:battery.gb mgba:battery.gba \
  bsnes_mercury_performance:battery.sfc mednafen_pce_fast:battery.pce; do
  run --path demo -- "--core=$cores/${pair%%:*}_libretro.so" "--rom=$PWD/$roms/${pair#*:}" \
    "--frames=$frames"
done

project="$(mktemp -d "${TMPDIR:-/tmp}/tovarune-project.XXXXXX")"
trap 'rm -rf "$project"' EXIT
printf 'config_version=5\n\n[application]\n\nconfig/name="tovarune check"\n' >"$project/project.godot"
zip_file="$(tools/package.sh | sed -n 's/: .*//p')"
unzip -q "$zip_file" -d "$project"
cp native/tests/engine/libretro_screen_check.gd native/tests/engine/many_players_check.gd \
  native/tests/engine/input_check.gd native/tests/engine/frontend_screen_check.gd "$project/"
import "$project"
run --path "$project" --script res://libretro_screen_check.gd -- \
  "--core=$cores/gambatte_libretro.so" "--rom=$PWD/$roms/battery.gb" \
  "--nes-core=$cores/nestopia_libretro.so" "--nes-rom=$PWD/$roms/battery.nes"
run --path "$project" --script res://many_players_check.gd -- "--cores=$cores" "--roms=$PWD/$roms"
# The drop-in screen's input, on a fake core that writes what it reads into its memory.
echo_core=build/fake_cores/fake_core_input_echo.so
if [ -f "$echo_core" ]; then
  run --path "$project" --script res://input_check.gd -- "--core=$PWD/$echo_core"
else
  echo "skipped the input check: $echo_core is missing (tools/setup.sh builds it)"
fi
# What the screen does with a core's rotation, rates, rumble and shutdown.
screen_core=build/fake_cores/screen_core.so
if [ -f "$screen_core" ]; then
  run --path "$project" --script res://frontend_screen_check.gd -- "--core=$PWD/$screen_core"
else
  echo "skipped the frontend check: $screen_core is missing (tools/setup.sh builds it)"
fi
# Cores that render with OpenGL: the fake one, and a real PlayStation core (Beetle
# PSX HW, built from its source) where TOVARUNE_PSX_HW_CORE names it.
cp native/tests/engine/hardware_render_check.gd "$project/"
psx=()
if [ -n "${TOVARUNE_PSX_HW_CORE:-}" ]; then
  psx=("--psx-core=$TOVARUNE_PSX_HW_CORE" "--psx-game=$PWD/$roms/scene.exe"
    "--psx-system=$PWD/$roms/psx_system")
else
  echo "TOVARUNE_PSX_HW_CORE is not set: skipping the real hardware-rendering core"
fi
run --path "$project" --script res://hardware_render_check.gd -- \
  "--fake-core=$PWD/build/fake_cores/fake_gl_core.so" "--rom=$PWD/$roms/battery.nes" "${psx[@]}"
[ "$status" -eq 0 ] && echo "engine checks passed" || echo "FAIL: engine checks"
exit "$status"
