#!/usr/bin/env bash
# Exports a small game built on the packaged addon, holding our test ROMs under
# res://roms and cores under res://cores, and runs the exported game headless:
# for Linux with Debian's cores, and for Windows under Wine with a core built
# for Windows. Needs GODOT_BIN (a Godot editor binary) and an export template
# of the same engine: GODOT_TEMPLATE_LINUX, and for Windows also
# GODOT_TEMPLATE_WINDOWS and TOVARUNE_WINDOWS_CORE (a gambatte_libretro.dll).
# Without them it says what it skipped. Needs the extension libraries
# (docs/extension.md) and the test ROMs of build/ (tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${GODOT_BIN:-}" ] || [ -z "${GODOT_TEMPLATE_LINUX:-}" ]; then
  echo "GODOT_BIN or GODOT_TEMPLATE_LINUX is not set: skipping the export checks"
  exit 0
fi
cores=/usr/lib/x86_64-linux-gnu/libretro
work="$(mktemp -d "${TMPDIR:-/tmp}/tovarune-export.XXXXXX")"
trap 'rm -rf "$work"' EXIT
project="$work/project"
mkdir -p "$project/roms" "$project/cores" "$project/system"
unzip -q "$(tools/package.sh | sed -n 's/: .*//p')" -d "$project"
cp build/roms/battery.gb build/roms/battery.pce "$project/roms/"
cp "$cores/gambatte_libretro.so" "$cores/mednafen_pce_fast_libretro.so" "$project/cores/"
# CD games for a core that opens them and their tracks itself: a cue sheet and
# its track in each of two folders, by the same names, and a playlist of both.
cp build/fake_cores/fake_core_cd.so "$project/cores/fake_cd_libretro.so"
for region in usa jp; do
  mkdir -p "$project/roms/cd/$region"
  printf 'FILE "game.bin" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n' >"$project/roms/cd/$region/game.cue"
  echo "$region" >"$project/roms/cd/$region/game.bin"
done
printf 'usa/game.cue\njp/game.cue\n' >"$project/roms/cd/discs.m3u"
echo "BIOS files would go here" >"$project/system/readme.txt"
cp native/tests/export/export_check_game.gd "$project/main.gd"
printf '[gd_scene format=3]\n\n[ext_resource type="Script" path="res://main.gd" id="1"]\n\n[node name="Main" type="Node"]\nscript = ExtResource("1")\n' >"$project/main.tscn"
cat >"$project/project.godot" <<'PROJECT'
config_version=5

[application]

config/name="tovarune export check"
run/main_scene="res://main.tscn"

[editor_plugins]

enabled=PackedStringArray("res://addons/tovarune/plugin.cfg")
PROJECT
windows=0
if [ -n "${GODOT_TEMPLATE_WINDOWS:-}" ] && [ -n "${TOVARUNE_WINDOWS_CORE:-}" ]; then
  windows=1
  cp "$TOVARUNE_WINDOWS_CORE" "$project/cores/gambatte_libretro.dll"
fi
preset() { # index, name, platform, template
  cat <<PRESET

[preset.$1]

name="$2"
platform="$3"
runnable=true
export_filter="all_resources"
include_filter="roms/*, system/*"
exclude_filter=""
export_path=""

[preset.$1.options]

custom_template/debug="$4"
custom_template/release=""
binary_format/embed_pck=false
binary_format/architecture="x86_64"
PRESET
}
{
  preset 0 Linux Linux "$GODOT_TEMPLATE_LINUX"
  [ "$windows" -eq 0 ] || preset 1 Windows "Windows Desktop" "$GODOT_TEMPLATE_WINDOWS"
} >"$project/export_presets.cfg"

# Importing registers the extension; some engine builds crash while quitting
# the import even so.
("$GODOT_BIN" --headless --path "$project" --import || true) >/dev/null 2>&1
status=0
# Exports, then shows what the game printed and what it shipped; fails on a
# failed export, a non-zero exit or an engine error.
export_and_run() { # preset, executable, command to run it
  local output
  mkdir -p "$work/$1"
  if ! "$GODOT_BIN" --headless --path "$project" --export-debug "$1" "$work/$1/$2" \
    >"$work/$1.log" 2>&1; then
    echo "FAIL: the $1 export failed:"
    cat "$work/$1.log"
    status=1
    return
  fi
  echo "$1 export: $(cd "$work/$1" && find . -type f | sort | tr '\n' ' ')"
  for session in play resume; do
    output="$(cd "$work/$1" && timeout 300 "${@:3}" "./$2" --headless -- "--cabinets=$session" 2>&1)" || status=1
    show "$output"
  done
}
# Shows what a run printed; fails on an engine error or a leak, but for the
# battery save that the game tries to write into its pack.
show() {
  echo "$1" | grep -v -E '^[A-Za-z]+ Engine v[0-9]' || true
  if grep -v 'save da bateria: res://saves/battery.srm' <<<"$1" |
    grep -q -E '^(ERROR|SCRIPT ERROR)|leaked at exit'; then status=1; fi
}
user_data="$HOME/.local/share/godot/app_userdata/tovarune export check"
# The same game in the editor first, where res:// is the project folder: its
# files are used in place, with no copy under user://.
rm -rf "$user_data/tovarune"
echo "In the editor:"
for session in play resume; do
  output="$(timeout 300 "$GODOT_BIN" --headless --path "$project" -- "--cabinets=$session" 2>&1)" || status=1
  show "$output"
done
if [ -e "$user_data/tovarune/unpacked/games" ]; then
  echo "FAIL: the editor copied a game that lies in the project folder"
  status=1
fi
export_and_run Linux game.x86_64
srm="$user_data/saves/gb/battery.srm"
echo "battery save on disk: $(od -An -tx1 -N4 "$srm" 2>/dev/null || echo missing)"
if [ "$windows" -eq 1 ]; then
  export_and_run Windows game.exe wine
else
  echo "GODOT_TEMPLATE_WINDOWS or TOVARUNE_WINDOWS_CORE is not set: skipping the Windows export"
fi
[ "$status" -eq 0 ] && echo "export checks passed" || echo "FAIL: export checks"
exit "$status"
