#!/usr/bin/env bash
# Runs a Windows program under Wine in a throw-away prefix, or in the prefix
# named by QM_WINEPREFIX (the Windows tests share one per run: creating a
# prefix takes 5-20 s).
# Usage: tools/wine-run.sh PROGRAM.exe [ARGS...]
# CTest uses it as the emulator of the win64 build.
set -euo pipefail
# No Mono or Gecko installer dialog can block a run without a user.
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
if [[ -n "${QM_WINEPREFIX:-}" ]]; then
  export WINEPREFIX="$QM_WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # One wineserver with Wine's own services (plugplay, rpcss ...) for the
  # whole run, kept 30 s after its last program and started apart from this
  # call's output. Otherwise every call starts them anew, and whoever reads
  # the output (CTest) waits for them to end, seconds after the program.
  (
    flock 9
    if ! wineserver -k0 2>/dev/null; then
      wineserver -p30 </dev/null >/dev/null 2>&1 9>&-
      wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
  ) 9>"$WINEPREFIX.lock"
else
  WINEPREFIX="$(mktemp -d /tmp/quellmar-wine.XXXXXX)"
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
fi
wine "$@"
