#!/usr/bin/env bash
# Scan speed under Wine: the full scan against a bare FindFirstFileW loop on a
# deterministic tree kept in build/bench-tree (built on the first run).
# The last line is "scan/raw ratio: X.XX".
#   tools/bench-scan.sh [--files N] [--folders N] [--depth N] [--runs N]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" win bench-scan >&2
mkdir -p "$root/build/bench-tree"
# Wine maps the Unix root to drive Z:.
tree="Z:$(printf '%s' "$root/build/bench-tree" | tr '/' '\\')"
cd "$root/build/win/bin"
"$root/tools/wine-run.sh" bench-scan.exe --tree "$tree" "$@" 2>/dev/null | tr -d '\r'
