#!/bin/sh
# Runs a Windows executable under Wine: CTest's CMAKE_CROSSCOMPILING_EMULATOR.
#   wine-run.sh program.exe [args]   run it (starting Wine first when needed)
#   wine-run.sh                      only start Wine
#   wine-run.sh --stop               stop Wine and everything it runs
set -eu

export WINEDEBUG=-all                     # quiet, and no hint about wine32
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
export LC_ALL=C.UTF-8                     # else Wine cannot name files with non-ASCII characters
# A prefix of our own, never the user's ~/.wine.
export WINEPREFIX="${TOVARUNE_WINEPREFIX:-${TMPDIR:-/tmp}/tovarune-wine-$(id -u)}"

if [ "${1:-}" = "--stop" ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi

# Wine's background processes keep the output of whoever started them, and
# CTest waits until that output closes. So they are started here, detached,
# with their output in a log, and a program's output goes through a file.
# Under the lock, other runs wait for the boot; fd 9 is closed for Wine so
# that no service holds the lock. The server stays 60 s after the last
# program ends; tools/test.sh stops it at once.
mkdir -p "$WINEPREFIX"
log="$WINEPREFIX/tovarune-boot.log"
if ! (
  flock 9
  if wineserver -p60 </dev/null >>"$log" 2>&1 9>&-; then
    # A boot that hangs fails the run instead of holding it until CI gives up.
    timeout 300 wineboot -i </dev/null >>"$log" 2>&1 9>&-
  fi
) 9>"$WINEPREFIX/tovarune-boot.lock"; then
  echo "wine-run.sh: Wine did not start, see $log" >&2
  exit 1
fi

[ $# -gt 0 ] || exit 0

# A program that fails before printing a byte never reached its main: Wine
# failed to start it, which happens now and then. Such a start is tried again,
# at most three times in all, the later ones with Wine's own errors shown. A
# program that printed anything keeps its result. Retries are noted in
# $TOVARUNE_WINE_RETRIES, which tools/test.sh reports.
output="$(mktemp "${TMPDIR:-/tmp}/tovarune-wine-output.XXXXXX")"
trap 'rm -f "$output"' EXIT
attempt=1
while :; do
  status=0
  wine "$@" >"$output" 2>&1 || status=$?
  if [ "$status" -eq 0 ] || [ -s "$output" ] || [ "$attempt" -ge 3 ]; then
    break
  fi
  echo "$1: Wine ended it with status $status before it printed anything (attempt $attempt)" \
    >>"${TOVARUNE_WINE_RETRIES:-/dev/null}"
  attempt=$((attempt + 1))
  export WINEDEBUG=err+all
  sleep 1
done
cat "$output"
if [ "$status" -ne 0 ] && [ ! -s "$output" ]; then
  echo "wine-run.sh: $1 ended with status $status without printing anything, $attempt times;" \
    "Wine's start-up log: $log" >&2
fi
exit "$status"
