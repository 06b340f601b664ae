#!/usr/bin/env bash
# Infects a fresh, throw-away 64-bit Wine prefix with the demo's three
# fictional pests, the same way as the simulated machine in machine/, in both
# halves of the machine: registry values and keys in the 64-bit and the
# 32-bit view, files in the system folder, SysWOW64 and Program Files (x86),
# INI entries and two running programs. (32-bit programs cannot run here, so
# the 32-bit pest's program and server are 64-bit stand-ins in its folder.)
# Usage: examples/demo/infect-wine.sh PREFIX   (needs build/win64 built)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
prefix=$1
export WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
wineboot -i >/dev/null 2>&1
c="$prefix/drive_c"
pest="$root/build/win64/demo-pest.exe"
server="$root/build/win64/demo-server.dll"
machine="$here/machine/drive_c"

# Files: the pests' programs and servers are real (harmless) Windows
# programs here; the rest are the machine's own files.
mkdir -p "$c/Program Files (x86)/Popmaster" "$c/Program Files/Nightcall"
cp "$pest" "$c/windows/system32/stpager.exe"
cp "$server" "$c/windows/system32/stpbho.dll"
cp "$pest" "$c/Program Files (x86)/Popmaster/popmstr.exe"
cp "$server" "$c/Program Files (x86)/Popmaster/popbar.dll"
cp "$machine/Program Files (x86)/Popmaster/readme.txt" "$c/Program Files (x86)/Popmaster/"
for folder in "$c" "$c/windows" "$c/windows/system32" "$c/windows/syswow64" "$c/Program Files/Nightcall"; do
  cp "$machine/ncdialer.exe" "$folder/ncdialer.exe"
done
cp "$machine/Windows/modem.old" "$c/windows/modem.old"

# INI entries, through Wine's own profile functions would need a program:
# the files are written whole (Wine keeps its own system.ini and win.ini
# small, so nothing of value is lost in a throw-away prefix).
cp "$machine/Windows/system.ini" "$c/windows/system.ini"
cp "$machine/Windows/win.ini" "$c/windows/win.ini"

# Registry: the same file the simulated machine starts from; its Wow6432Node
# keys are the 32-bit view's.
cp "$here/machine/registry.reg" "$c/demo.reg"
wine regedit /S 'C:\demo.reg' >/dev/null 2>&1
rm -f "$c/demo.reg"

# Running programs.
wine start /b 'C:\windows\system32\stpager.exe' >/dev/null 2>&1
wine start /b 'C:\Program Files (x86)\Popmaster\popmstr.exe' >/dev/null 2>&1
echo "infected $prefix"
