#!/usr/bin/env bash
# Makes build/package/tovarune-<version>.zip: the addon as a Godot project
# needs it (addons/tovarune/ with the .gdextension, the libraries that have
# been built, the drop-in screen, the editor plugin that ships cores with
# exported games, the icon, the license and a short README).
# The version is the one in VERSION. Libraries not built yet are named.
set -euo pipefail
cd "$(dirname "$0")/.."

version="$(tr -d '[:space:]' <VERSION)"
addon=demo/addons/tovarune
zip_path="$PWD/build/package/tovarune-$version.zip"
stage="$(mktemp -d "${TMPDIR:-/tmp}/tovarune-package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT

mkdir -p "$stage/addons/tovarune/bin"
cp "$addon/tovarune.gdextension" "$addon/libretro_screen.gd" "$addon/retro_keys.gd" "$addon/icon.svg" \
  "$addon/plugin.cfg" "$addon/tovarune_plugin.gd" "$addon/core_export_plugin.gd" \
  "$addon/README.md" LICENSE "$stage/addons/tovarune/"

# Every library the .gdextension lists, when it has been built.
included=0
listed=0
while read -r library; do
  listed=$((listed + 1))
  if [ -f "$addon/bin/$library" ]; then
    cp "$addon/bin/$library" "$stage/addons/tovarune/bin/"
    included=$((included + 1))
  else
    echo "missing, not packaged: $library (see docs/extension.md to build it)" >&2
  fi
done < <(sed -n 's|^[a-z]*\.[a-z]*\.x86_64 = "res://addons/tovarune/bin/\(.*\)"$|\1|p' \
  "$addon/tovarune.gdextension")
if [ "$included" -eq 0 ]; then
  echo "no library has been built: nothing to package" >&2
  exit 1
fi

mkdir -p "$(dirname "$zip_path")"
rm -f "$zip_path"
(cd "$stage" && zip -qrX "$zip_path" addons)
echo "$zip_path: $included of the $listed libraries"
