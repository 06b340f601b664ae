#!/usr/bin/env bash
# Runs a Windows program under Wine in a throw-away prefix (or in the prefix
# named by QM_WINEPREFIX, to save the 5-20 s of creating one per run).
# Usage: tools/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
if [[ -n "${QM_WINEPREFIX:-}" ]]; then
  export WINEPREFIX="$QM_WINEPREFIX"
  mkdir -p "$WINEPREFIX"
else
  WINEPREFIX="$(mktemp -d /tmp/quellmar-wine.XXXXXX)"
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
fi
# No Mono or Gecko installer dialog can block a run without a user.
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
wine "$@"
