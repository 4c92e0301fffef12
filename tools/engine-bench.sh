#!/usr/bin/env bash
# Benchmark in a real Godot editor binary, named by GODOT_BIN (without it this only
# says it skipped): the wall time per frame of eight players on the Debian cores,
# on the main thread and on WorkerThreadPool tasks (native/tests/engine/
# many_players_bench.gd). Needs what tools/engine-check.sh needs; arguments go to
# the script (--frames=N, --rounds=N).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${GODOT_BIN:-}" ]; then
  echo "GODOT_BIN is not set: skipping the benchmark in a real Godot engine"
  exit 0
fi
project="$(mktemp -d "${TMPDIR:-/tmp}/tovarune-bench.XXXXXX")"
trap 'rm -rf "$project"' EXIT
printf 'config_version=5\n\n[application]\n\nconfig/name="tovarune bench"\n' >"$project/project.godot"
unzip -q "$(tools/package.sh 2>/dev/null | sed -n 's/: .*//p')" -d "$project"
cp native/tests/engine/many_players_bench.gd "$project/"
("$GODOT_BIN" --headless --path "$project" --import || true) >/dev/null 2>&1
"$GODOT_BIN" --headless --path "$project" --script res://many_players_bench.gd -- \
  --cores=/usr/lib/x86_64-linux-gnu/libretro "--roms=$PWD/build/roms" "$@" 2>&1 |
  grep -E '^eight players|^  [^ ]|ERROR' # the results, without what the cores print
