#!/usr/bin/env bash
# Configures and builds one of the project's builds:
#   tools/build.sh win|win64|native|asan|tsan [ninja targets...]
# win is the 32-bit Windows build (Morvane.wlx), win64 the 64-bit one (Morvane.wlx64).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kind=${1:-win}
shift || true
case "$kind" in
  win)    args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
  win64)  args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
  native) args=() ;;
  asan)   args=(-DMORVANE_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug) ;;
  tsan)   args=(-DMORVANE_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug) ;;
  *) echo "usage: tools/build.sh win|win64|native|asan|tsan [targets]" >&2; exit 1 ;;
esac
dir="$root/build/$kind"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
fi
# Progress lines are noise in logs; warnings and errors stay.
# Two jobs: the machine (and CI's) has two cores and is shared.
ninja -C "$dir" -j "${MORVANE_JOBS:-2}" "$@" | { grep -v -E '^\[[0-9]+/[0-9]+\] |^ninja: ' || true; }
