#!/usr/bin/env bash
# The main job: set up, build the plugin and the viewer, show the analysis of a
# folder (default: this repository) in the viewer and leave screenshots in out/.
#   tools/demo.sh [FOLDER]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folder=$(cd "${1:-$root}" && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" win Morvane morvane-view
mkdir -p "$root/out"
winfolder="Z:$(echo "$folder" | sed 's|/|\\|g')"
for theme in light dark; do
  "$root/tools/wine-run.sh" "$root/build/win/bin/morvane-view.exe" "$winfolder" --size 1000x700 \
      --"$theme" --screenshot "Z:$(echo "$root/out/panel-$theme.png" | sed 's|/|\\|g')" --timeout 300
done
ls -l "$root"/out/panel-*.png
