#!/usr/bin/env bash
# A built plugin library exports exactly the host's names and imports nothing but
# Windows system DLLs (the C++ runtime, libgcc and winpthread are linked in).
# Morvane.wlx is 32-bit with plain and standard-call decorated names;
# Morvane.wlx64 is 64-bit with plain names only.
#   tests/check-dll.sh Morvane.wlx|Morvane.wlx64
set -u
dll=$1
case "$dll" in
  *.wlx64) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64; bits=64
           exports="ListLoad ListLoadW ListSendCommand" ;;
  *)       objdump=i686-w64-mingw32-objdump; format=pei-i386; bits=32
           exports="ListLoad ListLoad@12 ListLoadW ListLoadW@12 ListSendCommand ListSendCommand@12" ;;
esac
dump=$($objdump -p "$dll") || { echo "cannot read $dll"; exit 1; }
fail=0
echo "$dump" | grep -q "file format $format\$" || { echo "$dll is not $format"; fail=1; }
found=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[\s*[0-9]*\] //p' | sort | tr '\n' ' ')
wanted=$(echo $exports | tr ' ' '\n' | sort | tr '\n' ' ')
[ "$found" = "$wanted" ] || { echo "exports: $found; wanted: $wanted"; fail=1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|msvcrt|shlwapi|uxtheme|msimg32|version|psapi|windowscodecs)\.dll$'
while read -r lib; do
  echo "$lib" | tr 'A-Z' 'a-z' | grep -qE "$allowed" || { echo "unexpected import $lib"; fail=1; }
done < <(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
# A file's properties show the About box's version, the library's own name and
# its architecture (the version resource's texts are UTF-16).
version=$(sed -n 's/.*kAboutVersion\[\] = u"\(.*\)";/\1/p' "$(dirname "$0")/../host/about_layout.cpp")
texts=$(strings -el "$dll")
for want in "FileVersion" "$version" "$(basename "$dll")" "($bits-bit)"; do
  echo "$texts" | grep -qF -- "$want" || { echo "version resource lacks \"$want\""; fail=1; }
done
echo "$dump" | sed -n 's/^\s*DLL Name: /import: /p'
echo "exports: $found"
exit $fail
