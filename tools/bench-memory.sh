#!/usr/bin/env bash
# Peak resident memory of a scan over a generated 1,000,000-file tree (native).
# The last line is "peak MB for 1M files: N".
#   tools/bench-memory.sh [--files N]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" native bench_scan_memory >&2
exec "$root/build/native/bench_scan_memory" "$@"
