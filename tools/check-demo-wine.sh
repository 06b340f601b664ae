#!/usr/bin/env bash
# Checks the 64-bit release end to end on a real Windows implementation: a
# fresh 64-bit Wine prefix infected with the demo's pests in both halves
# (examples/demo/infect-wine.sh), cleaned by build/win64/quellmar-cli64.exe,
# then scanned again. Every item of both registry views and both system
# folders must be found, shown with its view, removed, and gone; then
# `--restore latest` must give back the machine as it was before the cleanup
# (registry exports of both views, and every file with its attributes, size,
# last write time and contents; processes aside).
# Prints "demo-wine: 1 passed, 0 failed" or what is missing.
set -uo pipefail
cd "$(dirname "$0")/.."
prefix=$(mktemp -d /tmp/quellmar-demo-wine.XXXXXX)
trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
examples/demo/infect-wine.sh "$prefix" >/dev/null || { echo "demo-wine: infecting the prefix failed"; exit 1; }
cp build/linux/examples/all.malware "$prefix/drive_c/all.malware"
export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all

# What the machine holds: both registry views and the user's keys as regedit
# exports them (each value with its key, sorted: a restore need not keep the
# order of values), and every file and folder of drive_c with its read-only
# mark, size, last write time and contents. Quellmar's own data, the temporary
# folders and Wine's own logs are not the machine's.
snapshot() {
  local dir=$1 view key
  mkdir -p "$dir"
  for view in 64 32; do
    for key in HKLM\\Software HKLM\\System\\CurrentControlSet\\Control\\Session\ Manager HKCU\\Software; do
      wine reg export "$key" "Z:${dir//\//\\}\\reg.txt" /reg:$view /y >/dev/null 2>&1
      iconv -f UTF-16LE -t UTF-8 "$dir/reg.txt" 2>/dev/null | tr -d '\r' |
        awk -v v="$view" '/^\[/ { k = $0; print v " " k; next } NF { print v " " k " " $0 }'
    done
  done | sort >"$dir/registry"
  rm -f "$dir/reg.txt"
  (cd "$prefix/drive_c" && find . \( -path ./ProgramData/Quellmar -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp' -o -path ./windows/temp -o -path ./windows/Temp \) -prune -o -print0 |
    sort -z | xargs -0 stat -c '%n|%F|%a|%s|%.6Y' |
    # Windows sees the owner's write bit (read-only); the execute bits are the host's own.
    awk -F'|' '{ owner = substr($3, length($3) - 2, 1); print $1, $2, (owner ~ /[2367]/ ? "rw" : "ro"), $4, $5 }' >"$dir/files"
   find . \( -path ./ProgramData/Quellmar -o -path './users/*/Temp' -o -path './users/*/AppData/Local/Temp' -o -path ./windows/temp \) -prune -o -type f -print0 |
    sort -z | xargs -0 md5sum >"$dir/contents")
  # Folders that Quellmar's data or a temporary file changes are compared by their contents only.
  sed -i -e '/^\. directory/d' -e '/^\.\/ProgramData directory/d' -e '/^\.\/windows directory/d' -e '/^\.\/users\/[^/]*\/AppData\/Local directory/d' -e '/^\.\/users\/[^/]*\/Temp directory/d' "$dir/files"
}
snapshot "$prefix/before"

out=$(wine build/win64/quellmar-cli64.exe 'C:\all.malware' 2>&1)
first=$?
again=$(wine build/win64/quellmar-cli64.exe --scan 'C:\all.malware' 2>&1)
second=$?

# The cleanup undone: the machine equals what it was, processes aside.
restored=$(wine build/win64/quellmar-cli64.exe --restore latest 2>&1)
restore=$?
snapshot "$prefix/after"
undo_diff=$(for part in registry files contents; do diff "$prefix/before/$part" "$prefix/after/$part"; done)
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
if [[ $restore -ne 0 || -n $undo_diff ]]; then
  echo "$restored" | tail -40
  echo "what the restore left different from before the cleanup:"
  echo "$undo_diff" | head -40
  echo "restore: exit $restore (0 expected)"
  echo "demo-wine: 0 passed, 1 failed"
  exit 1
fi
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
