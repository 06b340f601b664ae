#!/usr/bin/env bash
# The GUI test: runs build/win64/Quellmar64.exe under Wine on a virtual X
# display (Xvfb) and lets tests/gui/driver.exe click through it, taking a
# screenshot of every page. Exits non-zero when anything fails.
#
# Usage: tests/gui/run-gui-test.sh [--screenshots DIR]
#   --screenshots DIR   where the PNGs go (default: a new folder in /tmp,
#                       printed at the end); docs/screenshots refreshes the
#                       pictures of the documentation.
# Environment: QM_QUELLMAR_EXE (default build/win64/Quellmar64.exe),
#   QM_SCRIPT_TOOL (default build/linux/tools/quellmar-script),
#   QM_GUI_FILLER (records for absent items that lengthen each pass; 60000),
#   QM_GUI_DPI (the screen's DPI in the Wine prefix; 96),
#   QM_KEEP_WORK=1 keeps the work folder.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
quellmar="${QM_QUELLMAR_EXE:-$root/build/win64/Quellmar64.exe}"
script_tool="${QM_SCRIPT_TOOL:-$root/build/linux/tools/quellmar-script}"
filler="${QM_GUI_FILLER:-40000}"
adds="${QM_GUI_ADDS:-12000}"
dpi="${QM_GUI_DPI:-96}"
# Room for the window at that DPI.
screen="1024x768"
(( dpi > 96 )) && screen="1800x1300"
shots=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --screenshots) shots="$2"; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

for tool in Xvfb import convert wine wineserver x86_64-w64-mingw32-g++; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
# Wine's own fonts (Debian's fonts-wine): Tahoma for the windows, Marlett
# for the title bar's buttons. Without them Wine substitutes other fonts.
for font in tahoma.ttf marlett.ttf; do
  [[ -f "/usr/share/wine/fonts/$font" ]] || { echo "missing Wine's $font (tools/install-deps.sh installs fonts-wine)" >&2; exit 2; }
done
[[ -f "$quellmar" ]] || { echo "missing $quellmar (cmake --build --preset win64)" >&2; exit 2; }
[[ -x "$script_tool" ]] || { echo "missing $script_tool (cmake --build --preset linux)" >&2; exit 2; }

work="$(mktemp -d /tmp/quellmar-gui.XXXXXX)"
xvfb_pid=""
cleanup() {
  [[ -n "${WINEPREFIX:-}" ]] && wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
  [[ -n "${shooter_pid:-}" ]] && kill "$shooter_pid" >/dev/null 2>&1 || true
  if [[ "${QM_KEEP_WORK:-0}" != 1 ]]; then rm -rf "$work"; else echo "work folder kept: $work"; fi
}
trap cleanup EXIT
[[ -n "$shots" ]] || shots="$(mktemp -d /tmp/quellmar-gui-shots.XXXXXX)"
mkdir -p "$shots" "$work/bin" "$work/requests"
shots="$(cd "$shots" && pwd)"

windows_path() { echo "Z:${1//\//\\}"; }

# The script: the test pest, then records for absent keys that make each
# scan last long enough to be photographed and clicked in, then keys to add
# that give the removal as much to do. The absent keys' paths are long, so
# the status label shows how it shortens them.
cp "$root/tests/gui/gui-pests.qms" "$work/gui-pests.qms"
absent='HKCU\Software\GuiPestAbsent\A rather long name that a pest might choose for its settings\and a second level of them\and a third one'
for ((i = 0; i < filler; i++)); do
  printf "delete key '%s\\\\K%05d'\n" "$absent" "$i"
done >> "$work/gui-pests.qms"
for ((i = 0; i < adds; i++)); do
  printf "add key 'HKCU\\\\Software\\\\GuiPestFill\\\\A%05d'\n" "$i"
done >> "$work/gui-pests.qms"
"$script_tool" compile "$work/gui-pests.qms" -o "$work/gui-pests.malware"

# Quellmar runs from a folder of its own: no all.malware beside it.
cp "$quellmar" "$work/bin/Quellmar.exe"
x86_64-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -Wpedantic -Wshadow -Werror -municode -static \
  -I"$root" "$root/tests/gui/driver.cpp" "$root/tests/gui/GuiProbe.cpp" "$root/tests/gui/PassScenarios.cpp" \
  "$root/tests/gui/UndoScenarios.cpp" "$root/tests/gui/ReportScenarios.cpp" -lgdi32 -lshell32 -o "$work/bin/driver.exe"

# A free X display.
display=90
while [[ -e "/tmp/.X$display-lock" || -e "/tmp/.X11-unix/X$display" ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -e "/tmp/.X11-unix/X$display" ]] && break; sleep 0.1; done
export DISPLAY=":$display"

export WINEPREFIX="$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
wine wineboot --init >/dev/null 2>&1
wineserver -w
# Wine's fonts in the prefix's font folder, where every Wine finds them.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
if (( dpi != 96 )); then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
fi

# Takes the pictures the driver asks for: a request names the window's
# rectangle on the screen.
(
  while true; do
    for request in "$work"/requests/*.req; do
      [[ -e "$request" ]] || continue
      name="$(basename "$request" .req)"
      read -r x y w h < "$request"
      import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/requests/$name.png"
      convert "$work/requests/$name.png" -strip -define png:compression-level=9 "$shots/$name.png"
      rm -f "$request" "$work/requests/$name.png"
    done
    sleep 0.1
  done
) &
shooter_pid=$!

set +e
timeout 900 wine explorer "/desktop=QuellmarTest,$screen" "$(windows_path "$work/bin/driver.exe")" \
  "$(windows_path "$work/bin/Quellmar.exe")" "$(windows_path "$work/gui-pests.malware")" \
  "$(windows_path "$work/requests")" "$adds" 2>&1 | tee "$work/driver.log"
set -e

echo "screenshots: $shots"
if grep -q '^PASS' "$work/driver.log"; then
  echo "GUI test passed"
  exit 0
fi
echo "GUI test FAILED" >&2
exit 1
