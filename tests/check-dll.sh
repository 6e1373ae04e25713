#!/usr/bin/env bash
# The built plugin exports exactly the host's four names and imports nothing but
# Windows system DLLs (the C++ runtime, libgcc and winpthread are linked in).
set -u
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll") || { echo "cannot read $dll"; exit 1; }
fail=0
for name in ListLoad ListLoad@12 ListSendCommand ListSendCommand@12; do
  echo "$dump" | grep -qE "^\s+\[\s*[0-9]+\] $name\$" || { echo "missing export $name"; fail=1; }
done
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|shlwapi|uxtheme|msimg32|version|psapi|windowscodecs)\.dll$'
while read -r lib; do
  echo "$lib" | tr 'A-Z' 'a-z' | grep -qE "$allowed" || { echo "unexpected import $lib"; fail=1; }
done < <(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
echo "$dump" | sed -n 's/^\s*DLL Name: /import: /p'
exit $fail
