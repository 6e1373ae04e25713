#!/usr/bin/env bash
# The install package as a user gets it: tools/package.sh leaves the zip; it
# holds exactly the five files, an installer section the file manager reads,
# both libraries with the host's exports and only system imports, and each
# library loads under Wine for its own architecture and shows a folder (one
# named outside any code page, so the 64-bit and the 32-bit ListLoadW are used).
#   tests/check-package.sh      ends with "package: ok" or the first fault
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fail() { echo "package: $*"; exit 1; }

zip=$("$root/tools/package.sh" | tail -1)
[ -f "$zip" ] || fail "tools/package.sh left no zip ($zip)"
case "$(basename "$zip")" in Morvane-*.zip) ;; *) fail "unexpected name $zip" ;; esac
work=$(mktemp -d "$root/build/package-check.XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work/plugin" || fail "cannot unpack $zip"

files=$(cd "$work/plugin" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$files" = "Morvane.cfg.sample Morvane.wlx Morvane.wlx64 pluginst.inf readme.txt " ] ||
  fail "zip holds: $files"

# The installer section: the file manager reads it as an INI file, CRLF or not.
inf=$(tr -d '\r' <"$work/plugin/pluginst.inf")
[ "$(echo "$inf" | head -1)" = "[plugininstall]" ] || fail "pluginst.inf does not start with [plugininstall]"
for want in "type=wlx" "file=Morvane.wlx" "defaultdir=Morvane"; do
  echo "$inf" | grep -qx "$want" || fail "pluginst.inf lacks $want"
done
echo "$inf" | grep -qE '^description=.{10,}' || fail "pluginst.inf has no description"
diff -q <(tr -d '\r' <"$work/plugin/Morvane.cfg.sample") "$root/docs/Morvane.cfg" >/dev/null ||
  fail "Morvane.cfg.sample is not the documented settings file"

for lib in Morvane.wlx Morvane.wlx64; do
  "$root/tests/check-dll.sh" "$work/plugin/$lib" >"$work/$lib.dll.log" || { cat "$work/$lib.dll.log"; fail "$lib"; }
done

# Each library beside a viewer of its own architecture, showing a folder.
cp "$root/build/win/bin/morvane-view.exe" "$work/plugin/view32.exe"
cp "$root/build/win64/bin/morvane-view.exe" "$work/plugin/view64.exe"
shown="$work/Ωmega-日本 📦"
mkdir -p "$shown/sub"
head -c 5000 /dev/zero >"$shown/sub/data.bin"
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }
for bits in 32 64; do
  LANG=C.UTF-8 "$root/tools/wine-run.sh" "$work/plugin/view$bits.exe" "$(winpath "$shown")" \
      --size 640x400 --screenshot "$(winpath "$work/shot$bits.png")" --timeout 120 \
      >"$work/view$bits.log" 2>&1
  status=$?
  [ $status -eq 0 ] || { cat "$work/view$bits.log"; fail "the $bits-bit library did not show the folder (viewer status $status)"; }
  [ -s "$work/shot$bits.png" ] || fail "no screenshot from the $bits-bit viewer"
done
echo "package: ok ($(basename "$zip"): 32- and 64-bit libraries each showed a folder)"
