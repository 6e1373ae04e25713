#!/usr/bin/env bash
# Every test: set up, build the native, sanitizer and Windows builds (32- and
# 64-bit), run the native unit tests (plain, ASan+UBSan, TSan), the Windows tests
# of both architectures under Wine, the install package check and a short
# fuzzing smoke. Ends with one line "N passed, M failed"; exits non-zero
# on any failure.
#   tools/test.sh [--quick]    (--quick: native and Wine only, no sanitizers or fuzzing)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
quick=0
[ "${1:-}" = "--quick" ] && quick=1
"$root/tools/setup.sh" || exit 1

passed=0
failed=0
failures=()
log="$root/build/test-logs"
mkdir -p "$log"

# Runs ctest in a build and adds its counts to the totals.
run_ctest() {
  local label=$1 dir=$2
  shift 2
  echo "== $label"
  local out="$log/$label.log" t0=$SECONDS
  (cd "$dir" && "$@" ctest --output-on-failure --timeout 900 -j"${jobs:-2}") >"$out" 2>&1
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$out" | tail -1)
  if [ -z "$summary" ]; then
    echo "   no test summary (see $out)"
    failed=$((failed + 1))
    failures+=("$label")
    tail -20 "$out"
    return
  fi
  local nfail total
  nfail=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
  total=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/')
  passed=$((passed + total - nfail))
  failed=$((failed + nfail))
  echo "   $summary ($((SECONDS - t0)) s)"
  if [ "$nfail" -gt 0 ]; then
    failures+=("$label")
    sed -n '/The following tests FAILED/,$p' "$out"
  fi
}

build() {
  local kind=$1
  echo "== build $kind"
  local t0=$SECONDS
  if ! "$root/tools/build.sh" "$kind" >"$log/build-$kind.log" 2>&1; then
    echo "   build $kind FAILED"
    tail -30 "$log/build-$kind.log"
    failed=$((failed + 1))
    failures+=("build-$kind")
    return 1
  fi
  grep -E 'warning:' "$log/build-$kind.log" | sort -u | head -20
  echo "   built in $((SECONDS - t0)) s"
  return 0
}

if build native; then run_ctest native "$root/build/native"; fi
if [ $quick -eq 0 ]; then
  if build asan; then run_ctest asan-ubsan "$root/build/asan" env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1; fi
  if build tsan; then run_ctest tsan "$root/build/tsan" env TSAN_OPTIONS=halt_on_error=1; fi
fi
# One virtual display and one Wine server for every Windows test program of a
# build. The server and Wine's own background programs are started here with
# their output thrown away: started by the first test instead, they would keep
# ctest's output pipe open and the test would seem to hang.
run_wine_tests() {
  local kind=$1 label=$2
  "$root/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1
  export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all
  wineserver -p 60 >/dev/null 2>&1
  jobs=1 run_ctest "$label" "$root/build/$kind" xvfb-run -a -s "-screen 0 ${MORVANE_SCREEN:-1280x1024x24}"
  wineserver -k >/dev/null 2>&1
}
win32_ok=0
win64_ok=0
if build win; then win32_ok=1; run_wine_tests win wine32; fi
if build win64; then win64_ok=1; run_wine_tests win64 wine64; fi
# The install package from both builds: its contents, and each library shown
# by a viewer of its architecture.
if [ $win32_ok -eq 1 ] && [ $win64_ok -eq 1 ]; then
  echo "== package"
  if "$root/tests/check-package.sh" >"$log/package.log" 2>&1; then
    passed=$((passed + 1))
    tail -1 "$log/package.log"
  else
    failed=$((failed + 1))
    failures+=("package")
    tail -20 "$log/package.log"
  fi
fi
if [ $quick -eq 0 ] && [ -x "$root/tools/fuzz.sh" ]; then
  echo "== fuzz smoke"
  if "$root/tools/fuzz.sh" --smoke >"$log/fuzz.log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^(target|[a-z_]+_fuzz)' "$log/fuzz.log" | head -10
  else
    failed=$((failed + 1))
    failures+=("fuzz")
    tail -20 "$log/fuzz.log"
  fi
fi

# A figure, not a failure: test lines against the other C/C++ source lines,
# blank and comment-only lines left out (tests are files under tests/ or
# fuzz/, or named *_test.*, *_tests.*, test_*).
ratio() {
  local files all tests
  files=$(git -C "$root" ls-files 2>/dev/null | grep -E '\.(c|cc|cpp|cxx|h|hh|hpp)$')
  [ -n "$files" ] || return 0
  all=$(cd "$root" && echo "$files" | xargs -r cat 2>/dev/null | grep -c -v -E '^\s*(//.*)?$')
  tests=$(cd "$root" && echo "$files" | grep -i -E '(^|/)(tests?|fuzz)/|_test\.|_tests\.|test_' |
          xargs -r cat 2>/dev/null | grep -c -v -E '^\s*(//.*)?$')
  [ "$all" -gt "$tests" ] || return 0
  echo "test/code ratio: $((100 * tests / (all - tests))) % ($tests test lines / $((all - tests)) code lines)"
}
ratio
[ ${#failures[@]} -gt 0 ] && echo "failed in: ${failures[*]} (logs in $log)"
echo "total time: $SECONDS s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
