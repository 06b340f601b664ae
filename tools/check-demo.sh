#!/usr/bin/env bash
# Checks the main job end to end: the demo without a display must find and
# remove every kind of item, leave the next start's work, and a second scan
# must find nothing; the saved JSON report must match its schema. Prints "demo: 1 passed, 0 failed" or what is missing.
set -uo pipefail
cd "$(dirname "$0")/.."
reports=$(mktemp -d /tmp/quellmar-demo-reports.XXXXXX)
trap 'rm -rf "$reports"' EXIT
out=$(DISPLAY= QM_DEMO_REPORTS=$reports tools/demo.sh --cli 2>&1)
status=$?
# The saved JSON report matches its documented schema.
out+=$'\n'$(/usr/bin/python3 tools/check-report-schema.py "$reports/report.json" 2>&1)
missing=()
for expected in \
  "Quellmar demo: three fictional pests" \
  "Delete regsitry value  HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run  Startpager" \
  "Delete regsitry Key  HKCR\\CLSID\\{5A1E0D3C-7F2B-4C11-9E37-0D4E6B1F2A90} (64-bit)" \
  "Delete regsitry Key  HKCR\\CLSID\\{7C3B2E1A-9D4F-4E6B-A1C2-3F5D7E9B0A11} (32-bit)" \
  "Delete regsitry value  HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run (32-bit)  Popmaster" \
  "Delete regsitry Key  HKLM\\SOFTWARE\\Popmaster (32-bit)" \
  "Change existing regsitry value  HKCU\\Software\\Microsoft\\Internet Explorer\\Main  Start Page" \
  "Erase File  C:\\Windows\\system32\\stpager.exe" \
  "Erase File  C:\\Windows\\SysWOW64\\ncdialer.exe" \
  "Erase File  C:\\ncdialer.exe" \
  "Delte  Folder  C:\\Program Files (x86)\\Popmaster" \
  "Rename File  C:\\Windows\\modem.ini  C:\\Windows\\modem.old" \
  "Change existing INI value  system.ini  boot  shell" \
  "Delete Section in INI  win.ini  Popmaster" \
  "UNRegister Server  C:\\Program Files (x86)\\Popmaster\\popbar.dll" \
  "Runing Process  C:\\Windows\\system32\\stpager.exe" \
  "Runing Process  C:\\Program Files (x86)\\Popmaster\\popmstr.exe" \
  "Process   Kill   C:\\Windows\\system32\\  stpager.exe" \
  "Server   Unregister   C:\\Windows\\system32\\  stpbho.dll" \
  "Server   Unregister   C:\\Program Files (x86)\\Popmaster\\  popbar.dll" \
  "Disk  Delete   C:\\Program Files\\Nightcall" \
  "Disk  Rename   C:\\Windows\\  modem.ini" \
  "No spyware, adware or malware infection detected on your computer..." \
  "Quellmar 1.2 report of a cleanup" \
  "pending until restart" \
  "report.json: matches the schema" \
  "first run: exit 1 (1 = cleaned, 3010 = cleaned, restart needed), second scan: exit 0 (0 = nothing found)"; do
  grep -qF -- "$expected" <<<"$out" || missing+=("$expected")
done
if [[ $status -ne 0 || ${#missing[@]} -gt 0 ]]; then
  echo "$out" | tail -40
  printf 'missing from the demo output: %s\n' "${missing[@]}"
  echo "demo: 0 passed, 1 failed"
  exit 1
fi
grep -q "Error " <<<"$out" && { echo "$out" | grep "Error "; echo "demo: 0 passed, 1 failed"; exit 1; }
echo "demo: 1 passed, 0 failed"
