#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own quiet prefix, starting
# a virtual X display when there is none. Used by ctest as the cross-compiling
# emulator and by the demo, benchmark and test scripts.
#
# The prefix is a 64-bit one, which runs the 32-bit and the 64-bit programs
# alike (Debian's `wine` starts the 32-bit loader, which hands a 64-bit program
# to wine64 by itself). A prefix made before wine64 was installed, or with
# WINEARCH=win32 as older clones did, has no syswow64 folder and cannot start a
# 64-bit program ("Bad EXE format"): it is made anew.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -f "$WINEPREFIX/system.reg" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  echo "wine-run: $WINEPREFIX is a 32-bit-only prefix; making a 64-bit one" >&2
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  WINEARCH=win64 wineboot -i >/dev/null 2>&1
  # A crashing test program must end with its backtrace, not wait on a dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  if [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    echo "wine-run: could not make a 64-bit prefix in $WINEPREFIX (is wine64 installed? tools/setup.sh)" >&2
    exit 1
  fi
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 ${MORVANE_SCREEN:-1280x1024x24}" wine "$@"
fi
exec wine "$@"
