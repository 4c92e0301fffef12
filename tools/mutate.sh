#!/usr/bin/env bash
# Mutation check: applies each planted fault of tools/mutations.txt, one at a
# time, to a scratch copy of the tree, builds it and runs the suite; every
# fault must make the suite fail. Faults in code that only Windows compiles
# are built with MinGW and run under Wine, the others on Linux with the real
# cores. Fails when a fault is missed, does not build, or no longer applies.
#   tools/mutate.sh [pattern]   only the faults whose title matches
# The scratch copy and its builds stay in $TOVARUNE_MUTATE_DIR (default
# ${TMPDIR:-/tmp}/tovarune-mutate), so later runs build incrementally.
set -euo pipefail
cd "$(dirname "$0")/.."
# Wine's OpenGL needs an X server (tools/test.sh).
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi
root=$PWD
list=tools/mutations.txt
pattern=${1:-}
scratch=${TOVARUNE_MUTATE_DIR:-${TMPDIR:-/tmp}/tovarune-mutate}
src=$scratch/src

# The tree as it is in this checkout; only changed files are copied, so that
# the scratch builds stay incremental.
mkdir -p "$src"
git ls-files -co --exclude-standard -z | while IFS= read -r -d '' file; do
  if [ -f "$file" ] && ! cmp -s "$file" "$src/$file"; then
    mkdir -p "$(dirname "$src/$file")"
    cp "$file" "$src/$file"
  fi
done

configure() { # build dir, extra cmake arguments
  [ -f "$1/build.ninja" ] || cmake -S "$src" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${@:2}" >/dev/null
}
build_and_test() { # linux|windows; 0 when the suite passes
  local dir=$scratch/build targets=(host_tests node_tests real_core_tests)
  if [ "$1" = windows ]; then
    dir=$scratch/build-windows targets=(host_tests node_tests)
    configure "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
  else
    configure "$dir"
  fi
  if ! nice -n 10 cmake --build "$dir" --target "${targets[@]}" >"$scratch/build.log" 2>&1; then
    return 2
  fi
  TOVARUNE_WINEPREFIX="$scratch/wine-prefix" nice -n 10 \
    ctest --test-dir "$dir" --no-tests=error --timeout 300 >"$scratch/test.log" 2>&1
}

# Splits the list into blocks: title, file, platform, before, after.
mapfile -t blocks < <(python3 - "$list" <<'PY'
import sys
blocks, cur = [], None
for line in open(sys.argv[1], encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("## "):
        cur = {"title": line[3:]}
        blocks.append(cur)
    elif cur is not None and line.startswith("in: "):
        parts = line[4:].split()
        cur["file"], cur["platform"] = parts[0], parts[1] if len(parts) > 1 else "linux"
    elif cur is not None and line.startswith("- "):
        cur["before"] = line[2:]
    elif cur is not None and line.startswith("+ "):
        cur["after"] = line[2:]
for b in blocks:
    print("\t".join([b["title"], b["file"], b["platform"], b["before"], b["after"]]))
PY
)

apply() { # file before after: replaces the one occurrence, or fails
  python3 - "$@" <<'PY'
import sys
path, before, after = sys.argv[1], sys.argv[2].replace("\\n", "\n"), sys.argv[3].replace("\\n", "\n")
text = open(path, encoding="utf-8").read()
if text.count(before) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(before, after))
PY
}

# The unchanged tree must pass first, or no result means anything.
for platform in linux windows; do
  if ! build_and_test "$platform"; then
    echo "the unchanged tree fails on $platform: see $scratch/build.log and test.log" >&2
    exit 1
  fi
done

caught=0 missed=0 broken=0 total=0
trap 'cmake/wine-run.sh --stop >/dev/null 2>&1 || true' EXIT
export TOVARUNE_WINEPREFIX="$scratch/wine-prefix"
for block in "${blocks[@]}"; do
  IFS=$'\t' read -r title file platform before after <<<"$block"
  if [ -n "$pattern" ] && [[ $title != *$pattern* ]]; then
    continue
  fi
  total=$((total + 1))
  if ! apply "$src/$file" "$before" "$after"; then
    result="NO LONGER APPLIES"
    broken=$((broken + 1))
  else
    status=0
    build_and_test "$platform" || status=$?
    case $status in
    0) result=MISSED missed=$((missed + 1)) ;;
    2) result="DOES NOT BUILD" broken=$((broken + 1)) ;;
    *) result=caught caught=$((caught + 1)) ;;
    esac
    cp "$root/$file" "$src/$file"
  fi
  printf '%-18s %-8s %s\n' "$result" "$platform" "$title"
done
echo "$caught of $total planted faults caught, $missed missed, $broken not applied or not built"
[ "$caught" -eq "$total" ]
