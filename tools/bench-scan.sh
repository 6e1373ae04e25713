#!/usr/bin/env bash
# Scan speed under Wine: the full scan, with one walker and with the default
# pool, against a bare single-thread FindFirstFileW loop, on two deterministic
# trees kept in build/bench-tree (built on the first run): an even one and one
# whose first child holds 90 % of it. Prints "skewed scan/raw ratio (1 thread)",
# "skewed scan/raw ratio", "scan/raw ratio (1 thread)" and last
# "scan/raw ratio: X.XX" (the default pool on the even tree).
#   tools/bench-scan.sh [--files N] [--folders N] [--depth N] [--runs N] [--threads N]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" win bench-scan >&2
mkdir -p "$root/build/bench-tree"
# Wine maps the Unix root to drive Z:.
tree="Z:$(printf '%s' "$root/build/bench-tree" | tr '/' '\\')"
cd "$root/build/win/bin"
"$root/tools/wine-run.sh" bench-scan.exe --tree "$tree" "$@" 2>/dev/null | tr -d '\r'
