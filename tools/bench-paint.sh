#!/usr/bin/env bash
# Paint speed under Wine (real GDI): a finished panel of 100 rows against one of
# 100,000 rows, 200 paints each through the panel's paint glue.
# The last line is "paint 100000/100 rows ratio: X.XX" (target: at most 1.5).
# Before it, the icon caches: 1,000 rows with 1,000 distinct extensions, the
# first paint against the tenth, "icon cache warm/cold paint ratio: X.XX"
# (target: at most 0.3). Then the treemap view: 100 rows against 100,000, the
# repaint and the paint after a rows change, in the Gradient and the default
# Flat style, "treemap paint 100000/100 rows ratio: X.XX" (default style,
# repaint; target: at most 2).
#   tools/bench-paint.sh [--paints N]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/build.sh" win bench-paint bench-icons bench-treemap >&2
cd "$root/build/win/bin"
"$root/tools/wine-run.sh" bench-icons.exe 2>/dev/null | tr -d '\r'
"$root/tools/wine-run.sh" bench-treemap.exe "$@" 2>/dev/null | tr -d '\r'
"$root/tools/wine-run.sh" bench-paint.exe "$@" 2>/dev/null | tr -d '\r'
