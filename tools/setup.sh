#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, once. Quiet
# and quick when everything is already there.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in cmake ninja-build g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth \
           libgtest-dev googletest clang libclang-rt-14-dev; do
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
command -v i686-w64-mingw32-g++-posix >/dev/null || { echo "setup: i686-w64-mingw32-g++-posix missing" >&2; exit 1; }
