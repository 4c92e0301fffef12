#!/usr/bin/env bash
# Runs the whole test suite of the builds that tools/setup.sh made: the Linux
# build, then the Windows build under Wine. Arguments go to both ctest runs.
set -euo pipefail
cd "$(dirname "$0")/.."

# Wine's OpenGL needs an X server: the whole run goes under a virtual one
# (started before Wine boots, so that Wine's own processes share it).
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

if [ ! -d build-windows ]; then
  echo "build-windows/ is missing: run tools/setup.sh" >&2
  exit 1
fi

# Wine boots while the Linux suite runs; its processes are stopped at the end.
# Its prefix belongs to this checkout's Windows build, so that nothing left in
# the temporary directory, nor another checkout's run, can touch this one.
export TOVARUNE_WINEPREFIX="${TOVARUNE_WINEPREFIX:-$PWD/build-windows/wine-prefix}"
# Programs that Wine failed to start and that were started again are listed.
TOVARUNE_WINE_RETRIES="$(mktemp "${TMPDIR:-/tmp}/tovarune-wine-retries.XXXXXX")"
export TOVARUNE_WINE_RETRIES
# shellcheck disable=SC2317 # run by the trap
finish() {
  cmake/wine-run.sh --stop
  if [ -s "$TOVARUNE_WINE_RETRIES" ]; then
    echo "Wine failed to start these and they were started again:"
    cat "$TOVARUNE_WINE_RETRIES"
  fi
  rm -f "$TOVARUNE_WINE_RETRIES"
}
trap finish EXIT
cmake/wine-run.sh </dev/null >/dev/null 2>&1 &
wine_boot=$!

# The timeout only turns a hung test into a failure; every suite takes far less.
ctest_run=(ctest --output-on-failure --no-tests=error --timeout 600)
status=0
"${ctest_run[@]}" --test-dir build "$@" || status=1
wait "$wine_boot" || true # a failed boot shows in the Windows run
"${ctest_run[@]}" --test-dir build-windows "$@" || status=1
# In a real engine: the one tools/setup.sh unpacked, unless GODOT_BIN (and for
# the export GODOT_TEMPLATE_LINUX) names another; without one each says it
# skipped.
engine=build/engine
if [ -z "${GODOT_BIN:-}" ] && [ -x "$engine/godot.linuxbsd.editor.x86_64" ]; then
  export GODOT_BIN="$PWD/$engine/godot.linuxbsd.editor.x86_64"
fi
if [ -z "${GODOT_TEMPLATE_LINUX:-}" ] && [ -x "$engine/godot.linuxbsd.template_debug.x86_64" ]; then
  export GODOT_TEMPLATE_LINUX="$PWD/$engine/godot.linuxbsd.template_debug.x86_64"
fi
tools/engine-check.sh || status=1
tools/core-check.sh || status=1
tools/export-check.sh || status=1
exit "$status"
