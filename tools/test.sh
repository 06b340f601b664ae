#!/usr/bin/env bash
# Builds the three presets and runs every test through CTest: the Linux
# tests (core, simulated Windows, the demo check) and the Windows tests
# under Wine (the real Win32 backend, the window under Xvfb). Ends with one
# summary line: "N passed, N failed".
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
for release in build/win32/Quellmar.exe build/win32/quellmar-cli.exe build/win64/Quellmar64.exe build/win64/quellmar-cli64.exe; do
  [[ -f $release ]] || { echo "$release missing"; exit 1; }
done

passed=0
failed=0
# Runs one test preset, echoes its failures and verdict, adds to the totals.
# CTest counts a skipped test among those that did not fail; here it is
# neither passed nor failed.
run_preset() {
  local preset=$1 log=build/ctest-$1.log
  ctest --preset "$preset" >"$log" 2>&1
  local summary total f s p
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [[ -z "$summary" ]]; then
    echo "$preset: ctest did not run:"
    tail -30 "$log"
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  f=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  s=$(grep -c '(Skipped)$' "$log")
  p=$((total - f - s))
  sed -n '/^The following tests FAILED:/,/^Errors while running/p' "$log"
  echo "$preset: $p passed, $f failed, $s skipped (of $total)"
  passed=$((passed + p))
  failed=$((failed + f))
}

run_preset linux
# A fresh Wine prefix for this run; the tests share it.
wine_prefix=build/win64-wineprefix
WINEPREFIX="$PWD/$wine_prefix" wineserver -k >/dev/null 2>&1
rm -rf "$wine_prefix"
run_preset win64
WINEPREFIX="$PWD/$wine_prefix" wineserver -k >/dev/null 2>&1

echo "not run here: the 32-bit release (build/win32); this machine cannot execute 32-bit x86 programs, so its"
echo "  hand-over to the 64-bit release and the 32-bit regsvr32 are tested on the simulated machine only"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
