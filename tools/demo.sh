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

# The list at 144 dpi (150 %). The screen scale comes from Wine's LogPixels, set
# in a prefix of its own so the tests' prefix stays at 96 dpi.
hidpi="$root/build/wineprefix-144"
WINEPREFIX="$hidpi" "$root/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1
WINEPREFIX="$hidpi" "$root/tools/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d 144 /f >/dev/null 2>&1
WINEPREFIX="$hidpi" "$root/tools/wine-run.sh" reg add 'HKCC\Software\Fonts' /v LogPixels \
    /t REG_DWORD /d 144 /f >/dev/null 2>&1
WINEPREFIX="$hidpi" wineserver -w
# The same 1000 x 700 layout units as the other shots, on a screen big enough.
WINEPREFIX="$hidpi" MORVANE_SCREEN=1600x1200x24 "$root/tools/wine-run.sh" \
    "$root/build/win/bin/morvane-view.exe" "$winfolder" --size 1500x1050 --light --screenshot "Z:$(echo "$root/out/panel-150.png" | sed 's|/|\\|g')" --timeout 300

# The treemap in each of its four styles, and its hover popup. The viewer loads
# the plugin (and its Morvane.cfg) from its own folder, so each style gets a
# copy of both beside its own settings file. Without a FOLDER the treemap shows
# /usr/share, whose sizes spread over many folders: this repository's own build
# output would fill nearly the whole map.
winpath() { echo "Z:$(echo "$1" | sed 's|/|\\|g')"; }
mapfolder=$folder
if [ -z "${1:-}" ] && [ -d /usr/share ]; then mapfolder=/usr/share; fi
winmapfolder=$(winpath "$mapfolder")
for style in flat color soft gradient; do
  dir="$root/build/demo/treemap-$style"
  mkdir -p "$dir"
  cp "$root/build/win/bin/Morvane.wlx" "$root/build/win/bin/morvane-view.exe" "$dir/"
  printf '[Treemap]\r\nFancyMapStyle=%s\r\n' "$style" >"$dir/Morvane.cfg"
  "$root/tools/wine-run.sh" "$dir/morvane-view.exe" "$winmapfolder" --size 1000x700 --dark --treemap \
      --screenshot "$(winpath "$root/out/treemap-$style.png")" --timeout 300
done
# The popup over a cell left of the middle, in the light theme.
"$root/tools/wine-run.sh" "$root/build/demo/treemap-flat/morvane-view.exe" "$winmapfolder" \
    --size 1000x700 --light --treemap --hover 300,330 \
    --screenshot "$(winpath "$root/out/treemap-popup.png")" --timeout 300
ls -l "$root"/out/panel-*.png "$root"/out/treemap-*.png
