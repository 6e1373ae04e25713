#!/usr/bin/env bash
# Benchmarks the file-count answer: 5,000,000 paths against 1,000 rows by default.
#   tools/bench-counts.sh [paths] [rows]
# Builds an optimised native bench_counts in build/bench-counts and runs it; the
# last line is "counts/pass ratio: X.XX" (parse time over one plain pass).
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MORVANE_BENCH_BUILD:-$root/build/bench-counts}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_counts >/dev/null
exec "$build/bench_counts" "$@"
