#!/usr/bin/env bash
# Builds the three presets and runs every test: the Linux tests (core and
# simulated Windows) and the Windows tests under Wine (the real Win32
# backend). Ends with one summary line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh || { echo "dependency install failed"; exit 1; }

build() {
  local preset=$1
  { [[ -f build/$preset/build.ninja ]] || cmake --preset "$preset" >/dev/null; } &&
    cmake --build --preset "$preset" -- -j"$(nproc)" >"build/$preset.log" 2>&1 ||
    { echo "build of $preset failed:"; tail -40 "build/$preset.log"; return 1; }
  echo "built $preset"
}

mkdir -p build
build linux && build win32 && build win64 || exit 1
[[ -f build/win32/Quellmar.exe ]] || { echo "build/win32/Quellmar.exe missing"; exit 1; }

passed=0
failed=0
# Runs one gtest program, echoes its verdict lines, adds to the totals.
run_suite() {
  local name=$1 log=build/$1.log
  shift
  "$@" >"$log" 2>&1
  local rc=$?
  local p f
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -1)
  p=${p:-0}
  f=${f:-0}
  if [[ $rc -ne 0 && $f -eq 0 ]]; then
    echo "$name crashed or did not run (exit $rc):"
    tail -30 "$log"
    f=1
  fi
  grep '^\[  FAILED  \] .*\.' "$log" | sort -u
  echo "$name: $p passed, $f failed"
  passed=$((passed + p))
  failed=$((failed + f))
}

run_suite linux-tests build/linux/tests/quellmar_tests
run_suite wine-tests tools/wine-run.sh build/win64/tests/quellmar_win_tests.exe

# The real window under Wine and Xvfb, clicked through by a driver program.
if tests/gui/run-gui-test.sh >build/gui-test.log 2>&1; then
  passed=$((passed + 1))
  echo "gui-test: 1 passed, 0 failed"
else
  failed=$((failed + 1))
  tail -30 build/gui-test.log
  echo "gui-test: 0 passed, 1 failed"
fi

# The main job on the built-in demo, end to end.
demo=$(tools/check-demo.sh)
echo "$demo" | tail -5
if [[ "$demo" == *"demo: 1 passed"* ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
