#!/usr/bin/env bash
# Benchmarks the per-paint geometry: the treemap layout of 8,192 items and the
# list's column widths over 100,000 rows, first measured and then cached.
#   tools/bench-geometry.sh [items] [rows]
# Builds an optimised native bench_geometry in build/bench-geometry (override with
# MORVANE_BENCH_BUILD) and runs it; the last line is
# "layout 8192 items: X ms; widths cached/uncached: C ms / U ms".
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MORVANE_BENCH_BUILD:-$root/build/bench-geometry}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_geometry >/dev/null
exec "$build/bench_geometry" "$@"
