#!/usr/bin/env bash
# Builds both plugin libraries and writes the install package the file manager
# opens: out/Morvane-<version>.zip with Morvane.wlx, Morvane.wlx64, pluginst.inf,
# Morvane.cfg.sample and readme.txt. Prints the zip's path.
#   tools/package.sh
# The settings travel as a sample only: a user's own Morvane.cfg beside the
# plugin is never overwritten by an upgrade.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" win Morvane
"$root/tools/build.sh" win64 Morvane
# One version for the package, the libraries' properties and the About box.
version=$(sed -n 's/^ *VALUE "ProductVersion", "\(.*\)"$/\1/p' "$root/plugin/version.rc")
[ -n "$version" ] || { echo "package: no ProductVersion in plugin/version.rc" >&2; exit 1; }

stage="$root/build/package"
rm -rf "$stage"
mkdir -p "$stage" "$root/out"
# The builds keep debug information for the tests' backtraces; users need none.
i686-w64-mingw32-strip -o "$stage/Morvane.wlx" "$root/build/win/bin/Morvane.wlx"
x86_64-w64-mingw32-strip -o "$stage/Morvane.wlx64" "$root/build/win64/bin/Morvane.wlx64"
# Text files for Windows readers (Notepad among them): CRLF line ends.
crlf() { sed 's/\r*$/\r/'; }
crlf <"$root/docs/Morvane.cfg" >"$stage/Morvane.cfg.sample"
crlf >"$stage/pluginst.inf" <<INF
[plugininstall]
description=Morvane $version: where a folder's space goes - sizes with bars, largest files, treemap
type=wlx
file=Morvane.wlx
defaultdir=Morvane
INF
crlf >"$stage/readme.txt" <<TXT
Morvane $version - storage analysis lister plugin

Shows where a folder's space goes: every sub-folder and file with its size, a
share bar and a percentage, file counts, the largest files beneath the folder
and a treemap. Open the lister or the quick view on a folder to see it.

Install
  Open this zip in the file manager (Enter on it, as on any archive). It finds
  pluginst.inf and offers to install the plugin; confirm, and it copies the
  files to a folder "Morvane" under its plugins folder and adds the lister
  plugin. Morvane.wlx is the 32-bit plugin, Morvane.wlx64 the 64-bit one; the
  file manager loads the one that matches it, from the same folder.

Settings (optional)
  Morvane.cfg.sample lists every setting with its default: colours of the dark
  and light themes, view switches, limits, the use of the Everything search
  engine. To change any, copy it to Morvane.cfg in the plugin's folder (beside
  Morvane.wlx) and edit it; remove the ";" before a line to use it. Morvane
  only reads that file, when a panel opens. An upgrade brings a new sample and
  never touches your Morvane.cfg.

Uninstall
  Remove the plugin in the file manager's lister plugin settings and delete the
  Morvane folder.
TXT
zip="$root/out/Morvane-$version.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" Morvane.wlx Morvane.wlx64 pluginst.inf Morvane.cfg.sample readme.txt)
echo "$zip"
