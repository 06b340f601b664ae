#!/usr/bin/env bash
# The window against the command line: Quellmar.exe's scan and removal of a
# 20,000-item script (10,000 registry values and 10,000 keys) against
# quellmar-cli.exe's, both under Wine on a virtual display (Xvfb), in one run
# and one Wine prefix. Prints the times and their ratios (docs/performance.md).
# Not a test: the machine is shared, so only ratios measured side by side count.
#
# The whole run (builds and measures) holds the shared build lock, so no
# build on this machine competes with the measures; run under
# `flock /tmp/qm-build.lock` it takes the lock no second time.
#
# Usage: tools/bench-gui.sh [GROUPS PER_GROUP]   (default 1000 10: 20,000 items)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
lock=/tmp/qm-build.lock
# True when this process or one of its ancestors holds the lock.
lock_held_here() {
  local holder pid
  for holder in $(lslocks -n -o PID,PATH 2>/dev/null | awk -v path="$lock" '$2 == path { print $1 }'); do
    pid=$$
    while [[ -n "$pid" && "$pid" -gt 1 ]]; do
      [[ "$pid" == "$holder" ]] && return 0
      pid="$(ps -o ppid= -p "$pid" | tr -d ' ')"
    done
  done
  return 1
}
lock_held_here || exec flock "$lock" "$0" "$@"

groups="${1:-1000}"
per_group="${2:-10}"
tools/install-deps.sh >/dev/null
for preset in linux win64; do
  [[ -f build/$preset/build.ninja ]] || cmake --preset "$preset" >/dev/null
done
cmake --build --preset linux --target quellmar-script >/dev/null
cmake --build --preset win64 --target Quellmar quellmar-cli >/dev/null

work="$(mktemp -d /tmp/quellmar-bench-gui.XXXXXX)"
xvfb_pid=""
cleanup() {
  [[ -n "${WINEPREFIX:-}" ]] && wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

{
  echo 'description "<p>A pest of registry values and keys.</p>"'
  echo 'owner "BenchPest"'
  for ((g = 0; g < groups; g++)); do
    for ((i = 0; i < per_group; i++)); do
      echo "delete value 'HKCU\\Software\\BenchPest\\G$g' \"V$i\" REG_SZ"
    done
  done
  for ((g = 0; g < groups; g++)); do
    for ((i = 0; i < per_group; i++)); do
      echo "delete key 'HKCU\\Software\\BenchPest\\G$g\\K$i'"
    done
  done
} >"$work/bench.qms"
build/linux/tools/quellmar-script compile "$work/bench.qms" -o "$work/bench.malware"
mkdir -p "$work/bin"
# The 64-bit release, under the names the driver starts.
cp build/win64/Quellmar64.exe "$work/bin/Quellmar.exe"
cp build/win64/quellmar-cli64.exe "$work/bin/quellmar-cli.exe"
x86_64-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -Werror -municode -static -I"$root" \
  bench/gui/BenchDriver.cpp tests/gui/GuiProbe.cpp -lgdi32 -o "$work/bin/bench-driver.exe"

display=120
while [[ -e "/tmp/.X$display-lock" || -e "/tmp/.X11-unix/X$display" ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -e "/tmp/.X11-unix/X$display" ]] && break; sleep 0.1; done
export DISPLAY=":$display" WINEPREFIX="$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
wine wineboot --init >/dev/null 2>&1
wineserver -w
winpath() { echo "Z:${1//\//\\}"; }
wine explorer "/desktop=QuellmarBench,1024x768" "$(winpath "$work/bin/bench-driver.exe")" \
  "$(winpath "$work/bin/Quellmar.exe")" "$(winpath "$work/bin/quellmar-cli.exe")" \
  "$(winpath "$work/bench.malware")" "$groups" "$per_group" 2>&1 | grep -v '^wine: Read access denied'
