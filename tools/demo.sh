#!/usr/bin/env bash
# Builds Quellmar and shows its main job on the built-in demo.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
[[ -f build/linux/build.ninja ]] || cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
[[ -f build/win32/build.ninja ]] || cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
echo "Built build/win32/Quellmar.exe (32-bit Windows release)."
echo "Simulated-machine contract tests:"
build/linux/tests/quellmar_tests --gtest_brief=1 | tail -3
