#!/usr/bin/env bash
# Benchmarks the search engine's answers as the scan uses them: first the
# folder-size lookup (20,000 children against 8,192 answers, "folder lookup
# 20000 children: X ms"), then the file-count answer, 5,000,000 paths against
# 1,000 rows by default.
#   tools/bench-counts.sh [paths] [rows]
# Builds optimised (Release) native programs in build/bench-counts and runs them; the
# last line is "counts/pass ratio: X.XX" (parse time over one plain pass).
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MORVANE_BENCH_BUILD:-$root/build/bench-counts}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_counts bench_folder_lookup >/dev/null
"$build/bench_folder_lookup"
exec "$build/bench_counts" "$@"
