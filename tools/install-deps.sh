#!/usr/bin/env bash
# Installs, from Debian's packages only, what building and testing Quellmar
# needs and a fresh machine lacks. Safe to run again: installed packages are
# skipped.
set -uo pipefail

packages=(
  cmake ninja-build g++ googletest libbenchmark-dev   # Linux build, tests, benchmarks
  g++-mingw-w64-i686 g++-mingw-w64-x86-64             # Windows builds (32-bit release, 64-bit tests)
  wine wine64                                         # runs the Windows tests here
  xvfb xauth imagemagick                              # GUI tests and screenshots
  fonts-wine                                          # Wine's own fonts: Tahoma, and Marlett for the title-bar buttons
  clang libclang-rt-14-dev                            # the reader's fuzz target
  python3-jsonschema                                  # checks the saved JSON report against its schema
  ansible                                             # syntax check of the deployment playbook in examples/
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO="sudo"
# An index that fails to download while a mirror syncs makes update exit
# non-zero although everything needed still installs: judge by the install.
$SUDO apt-get update -qq || echo "apt-get update reported a problem; trying the install anyway"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
status=$?
for p in "${missing[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || { echo "could not install $p"; status=1; }
done
exit $status
