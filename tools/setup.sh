#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, once. Quiet
# and quick when everything is already there.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
# wine64 comes with wine32: the project's Wine prefix is a 64-bit one (it runs
# the 32- and the 64-bit programs), and a prefix can only be made 64-bit once
# wine64 is there. tools/wine-run.sh remakes a prefix made without it.
for pkg in cmake ninja-build g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 \
           g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth \
           zip unzip libgtest-dev googletest clang libclang-rt-14-dev; do
  have "$pkg" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# The posix-threads flavour of the cross compiler is the one the toolchain names.
for cc in i686-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-posix; do
  command -v "$cc" >/dev/null || { echo "setup: $cc missing" >&2; exit 1; }
done
[ -x /usr/lib/wine/wine64 ] || { echo "setup: wine64 missing" >&2; exit 1; }
