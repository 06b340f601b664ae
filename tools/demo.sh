#!/usr/bin/env bash
# Quellmar's main job on the built-in demo: three fictional pests removed
# from a freshly infected machine. Every run starts from a clean infection.
#
# With a display: Quellmar64.exe under Wine on a freshly infected Wine prefix,
# for you to click through. Without one (or with --cli): the command-line
# front end on a fresh copy of the simulated machine in examples/demo/machine,
# printing the description, the items found per list and the report (saved
# as text and JSON; QM_DEMO_REPORTS=DIR keeps them), then a second scan that
# finds nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=auto
[[ "${1:-}" == "--cli" ]] && mode=cli

tools/install-deps.sh >/dev/null || { echo "dependency install failed"; exit 1; }
[[ -f build/linux/build.ninja ]] || cmake --preset linux >/dev/null
cmake --build --preset linux --target quellmar-cli qm_script_examples_all_malware >/dev/null
script=build/linux/examples/all.malware

if [[ $mode == auto && -n "${DISPLAY:-}" ]]; then
  [[ -f build/win64/build.ninja ]] || cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target Quellmar demo-pest demo-server >/dev/null
  prefix=$(mktemp -d /tmp/quellmar-demo-prefix.XXXXXX)
  echo "Infecting a fresh Wine prefix in $prefix ..."
  examples/demo/infect-wine.sh "$prefix"
  cp "$script" "$prefix/drive_c/all.malware"
  echo "Starting Quellmar64.exe (close it to end the demo) ..."
  WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all \
    wine build/win64/Quellmar64.exe 'C:\all.malware' || true
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  exit 0
fi

work=$(mktemp -d /tmp/quellmar-demo.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r examples/demo/machine "$work/machine"
echo "== Quellmar demo on a simulated 64-bit Windows 7 (a fresh copy of examples/demo/machine) =="
set +e
reports=${QM_DEMO_REPORTS:-$work}
build/linux/quellmar-cli --machine "$work/machine" --report "$reports/report.txt" --json "$reports/report.json" "$script"
first=$?
echo
echo "== The report as saved (text; JSON beside it) =="
cat "$reports/report.txt"
echo
echo "== What was left for the next start of Windows =="
grep -v '^#' "$work/machine/next-start.txt" || echo "(nothing)"
echo
echo "== A second scan of the same machine =="
build/linux/quellmar-cli --scan --machine "$work/machine" "$script"
second=$?
set -e
echo
echo "first run: exit $first (1 = cleaned, 3010 = cleaned, restart needed), second scan: exit $second (0 = nothing found)"
[[ ($first -eq 1 || $first -eq 3010) && $second -eq 0 ]]
