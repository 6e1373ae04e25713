#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) in build/fuzz and runs each
# one for a while, printing its executions and findings.
#   tools/fuzz.sh [seconds]     each target for this long (default 60)
#   tools/fuzz.sh --smoke       each target for 15 s (CI)
# Findings (crashing inputs) land in build/fuzz/findings/; the grown corpus is
# kept in build/fuzz/corpus/ between runs. Exits 1 when anything was found.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=60
if [ "${1:-}" = "--smoke" ]; then
  seconds=15
elif [ -n "${1:-}" ]; then
  seconds=$1
fi
build=$root/build/fuzz
targets=$(cd "$root/tests/fuzz" && ls *_fuzz.cpp | sed 's/\.cpp$//')

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON >/dev/null || exit 2
# shellcheck disable=SC2086
ninja -C "$build" -j2 $targets >/dev/null || { echo "fuzz: build failed"; exit 2; }

found=0
for t in $targets; do
  corpus=$build/corpus/$t
  findings=$build/findings/$t
  mkdir -p "$corpus" "$findings"
  seeds=$root/tests/fuzz/corpus/$t
  log=$build/$t.log
  "$build/$t" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" ${seeds:+"$seeds"} >"$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  crashes=$(find "$findings" -type f | wc -l)
  if [ "$rc" -ne 0 ] && [ "$crashes" -eq 0 ]; then crashes=1; fi
  echo "$t: execs=${execs:-0} findings=$crashes (${seconds}s)"
  [ "$crashes" -ne 0 ] && { found=1; echo "  see $log and $findings"; }
done
exit $found
