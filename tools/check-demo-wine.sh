#!/usr/bin/env bash
# Checks the 64-bit release end to end on a real Windows implementation: a
# fresh 64-bit Wine prefix infected with the demo's pests in both halves
# (examples/demo/infect-wine.sh), cleaned by build/win64/quellmar-cli64.exe,
# then scanned again. Every item of both registry views and both system
# folders must be found, shown with its view, removed, and gone.
# Prints "demo-wine: 1 passed, 0 failed" or what is missing.
set -uo pipefail
cd "$(dirname "$0")/.."
prefix=$(mktemp -d /tmp/quellmar-demo-wine.XXXXXX)
trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
examples/demo/infect-wine.sh "$prefix" >/dev/null || { echo "demo-wine: infecting the prefix failed"; exit 1; }
cp build/linux/examples/all.malware "$prefix/drive_c/all.malware"
export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
out=$(wine build/win64/quellmar-cli64.exe 'C:\all.malware' 2>&1)
first=$?
again=$(wine build/win64/quellmar-cli64.exe --scan 'C:\all.malware' 2>&1)
second=$?
missing=()
for expected in \
  "Delete regsitry Key  HKCR\\CLSID\\{5A1E0D3C-7F2B-4C11-9E37-0D4E6B1F2A90} (64-bit)" \
  "Delete regsitry Key  HKCR\\CLSID\\{7C3B2E1A-9D4F-4E6B-A1C2-3F5D7E9B0A11} (32-bit)" \
  "Delete regsitry value  HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit)  Popmaster" \
  "Delete regsitry Key  HKLM\\SOFTWARE\\Popmaster (32-bit)" \
  "Erase File  C:\\windows\\syswow64\\ncdialer.exe" \
  "Erase File  C:\\windows\\system32\\stpager.exe" \
  "Delte  Folder  C:\\Program Files (x86)\\Popmaster" \
  "Registry  Delete   HKCR\\CLSID\\{7C3B2E1A-9D4F-4E6B-A1C2-3F5D7E9B0A11} (32-bit)" \
  "Registry  Delete   HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit)  Popmaster" \
  "Disk  Delete   C:\\windows\\syswow64\\  ncdialer.exe" \
  "Process   Kill   C:\\Program Files (x86)\\Popmaster\\  popmstr.exe"; do
  grep -qF -- "$expected" <<<"$out" || missing+=("$expected")
done
if [[ $first -ne 1 || $second -ne 0 || ${#missing[@]} -gt 0 ]] || grep -q "Error " <<<"$out"; then
  echo "$out" | tail -40
  echo "second scan (exit $second):"
  echo "$again" | tail -10
  printf 'missing from the output: %s\n' "${missing[@]}"
  echo "first run: exit $first (1 expected), second scan: exit $second (0 expected)"
  echo "demo-wine: 0 passed, 1 failed"
  exit 1
fi
echo "demo-wine: 1 passed, 0 failed"
