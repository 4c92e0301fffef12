#!/usr/bin/env bash
# Sizes of the product code and of its tests, in non-blank lines.
#   product code: native/src and the GDScript under demo/
#   test cases:   the C++ under native/tests outside the fixture folders
#   fuzz:         the C++ under native/fuzz, its shared support included
#   fixtures:     test ROM sources, fake cores, the godot-cpp stand-in and the
#                 shared test support (native/tests/{roms,fake_core,
#                 godot_stand_in,support})
# Build files (CMakeLists.txt, linker configurations), READMEs, seed corpora
# and the GDScript of the engine checks (run only where GODOT_BIN names an
# engine) are not counted. Test cases and fuzz harnesses together stay at most 40 % of
# the product code; the script fails when they do not.
set -euo pipefail
cd "$(dirname "$0")/.."

fixture_dirs=(native/tests/roms native/tests/fake_core native/tests/godot_stand_in native/tests/support)

count() { # non-blank lines of the files named on stdin, one a line
  local total=0 file
  while IFS= read -r file; do
    total=$((total + $(grep -cv '^[[:space:]]*$' "$file" || true)))
  done
  echo "$total"
}
code_files() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \); }

product=$( (code_files native/src; find demo -type f -name '*.gd') | count)
prune=()
for dir in "${fixture_dirs[@]}"; do prune+=(-path "$dir" -prune -o); done
cases=$(find native/tests "${prune[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) -print | count)
fuzz=$(code_files native/fuzz | count)
fixtures=$( (code_files "${fixture_dirs[@]}"; find "${fixture_dirs[@]}" -type f \( -name '*.s' -o -name '*.asm' -o -name '*.inc' \)) | count)

percent() { echo "$((100 * $1 / product)) %"; }
printf '%-36s %5d\n' "product code" "$product"
printf '%-36s %5d  %s\n' "test cases" "$cases" "$(percent "$cases")"
printf '%-36s %5d  %s\n' "fuzz harnesses" "$fuzz" "$(percent "$fuzz")"
printf '%-36s %5d  %s\n' "test cases and fuzz harnesses" "$((cases + fuzz))" "$(percent $((cases + fuzz)))"
printf '%-36s %5d  %s\n' "fixtures (counted apart)" "$fixtures" "$(percent "$fixtures")"
if [ $((10 * (cases + fuzz))) -gt $((4 * product)) ]; then
  echo "test cases and fuzz harnesses exceed 40 % of the product code" >&2
  exit 1
fi
