#!/usr/bin/env bash
# Fuzzes with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer:
#   reader       the removal-script reader, on a fresh simulated machine
#   description  the description converters (HTML to RTF and to plain text)
#
#   tools/fuzz.sh TARGET [SECONDS [CORPUS_DIR]]
#
# Builds the target with the fuzz preset (build/fuzz/TARGET-fuzz), seeds the
# corpus folder (default build/fuzz/corpus-TARGET) when it is empty, and runs
# for SECONDS (default 60). Crashing inputs are written to build/fuzz/ as
# crash-*, leak-* or timeout-*; rerun one with: build/fuzz/TARGET-fuzz FILE
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-}
[[ $target == reader || $target == description ]] || { sed -n '2,11p' "$0"; exit 64; }
seconds=${2:-60}
corpus=${3:-build/fuzz/corpus-$target}
out=build/fuzz
mkdir -p "$out" "$corpus"

echo "building $out/$target-fuzz"
[[ -f build/fuzz/build.ninja ]] || cmake --preset fuzz >/dev/null
flock /tmp/qm-build.lock cmake --build --preset fuzz --target "$target-fuzz" >/dev/null

if [[ $target == description ]]; then
  printf '%s\n' '"<script>"' '"</script>"' '"<style>"' '"<title>"' '"<object>"' '"<head>"' '"<ol start=\"1\">"' \
    '"<li>"' '"<ul>"' '"<table>"' '"<tr>"' '"<td>"' '"<pre>"' '"<a href=\"x\">"' '"<font color=\"#ff0000\">"' \
    '"style=\"color:red\""' '"<br>"' '"<p>"' '"<h1>"' '"&amp;"' '"&#x1F600;"' '"&nbsp;"' '"<!--"' '"-->"' \
    '"\\par"' '"{"' '"}"' >"$out/description.dict"
  if [[ -z "$(ls -A "$corpus")" ]]; then
    printf '<h1>Startpager</h1><p>A <b>browser</b> hijacker &amp; <i>more</i>.</p>' >"$corpus/heading.html"
    printf '<ol start="3"><li>one<li>two<ul><li>x</ul></ol><table><tr><td>a<td>b</table>' >"$corpus/lists.html"
    printf '<script>alert(1)</script><style>p{}</style><p style="color:#123456">c</p><pre> a\n b</pre>' >"$corpus/hidden.html"
    printf '<a href="http://x">link</a> {\\rtf1 \\object} &#233;&#x20AC;&#128512;' >"$corpus/escapes.html"
  fi
  echo "fuzzing for $seconds s"
  exec nice -n 10 "$out/description-fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -dict="$out/description.dict" -artifact_prefix="$out/" -print_final_stats=1 "$corpus"
fi

# Tokens of the format: the magic and the special record types.
printf '%s\n' '"-<#QZ#>-"' '"\x99\x99"' '"\xDD\xDD"' '"\x88\x88"' '"\x77\x77"' '"\x66\x66"' \
  '"\x01\xFF"' '"\x02\x00"' '"\x03\x00"' '"\x07\x00"' '"D\x00"' '"U\x00"' \
  '"\x11\x00"' '"\x22\x00"' '"\x33\x00"' '"\xAA\x00"' '"\xBB\x00"' '"\xFF\x00"' '"*"' >"$out/reader.dict"

if [[ -z "$(ls -A "$corpus")" ]]; then
  echo "seeding $corpus"
  # Compiled example scripts, when the script compiler has been built.
  compiler=build/linux/tools/quellmar-script
  if [[ -x $compiler ]]; then
    for source in tests/fixtures/scripts/*.qms examples/demo/*.qms; do
      [[ -f $source ]] || continue
      "$compiler" compile "$source" -o "$corpus/$(basename "${source%.qms}").malware" >/dev/null 2>&1 || true
    done
  fi
  # Hand-made seeds: scrambled with the key from format/FieldKey.cpp.
  python3 - "$corpus" <<'PY'
import re, struct, sys, pathlib
src = pathlib.Path("format/FieldKey.cpp").read_text()
body = src[src.index("FieldKey = {"):]
key = [int(x, 16) for x in re.findall(r"0x([0-9A-Fa-f]{2})", body)][:260]
def field(b):
    return struct.pack("<H", len(b)) + bytes(c ^ key[(i + 1) % 260] for i, c in enumerate(b))
def rec(t, k, t1=b"", t2=b"", d1=b"", d2=b""):
    return struct.pack("<IHH", 0, t, k) + field(t1) + field(t2) + field(d1) + field(d2)
def table(entries):
    return struct.pack("<IH", 0, 0x9999) + b"".join(struct.pack("<H", len(e)) + e for e in entries)
magic = b"-<#QZ#>-"
def plain(records):
    return magic + records + struct.pack("<II", 0, 0)
def with_module(records, module, lead=b""):
    head = lead + module + struct.pack("<I", len(lead))
    return head + magic + records + struct.pack("<II", len(module), len(head))
items = (rec(0x8888, 0, b"<p>x</p>") + rec(0xDDDD, 0, b"Pest") + rec(0x6666, 0, b"C:\\T\\") +
         rec(0x0103, 0xFF, b"HKCU\\K") + rec(0xFF01, 1, b"HKCU\\K", b"v", b"data") +
         rec(0x0102, 3, b"HKCU\\K", b"v", b"new", b"old") + rec(0x0101, 0x33, b"a.ini*s", b"n", b"v") +
         rec(0x0102, 0xBB, b"C:\\f", b"", b"\1\2\3\4", b"\5") + rec(0x0107, 0xAA, b"C:\\n", b"C:\\o") +
         rec(0x0144, 0, b"C:\\s.dll") + rec(0x7777, 0, b"Entry"))
seeds = {
    "empty": plain(b""),
    "items": plain(items),
    "table": plain(items + table([b"one", b"", b"three"])),
    "module": with_module(items + table([b"e"]), b"MZ" + bytes(300), b"lead"),
    "refused": plain(rec(0x0102, 0xAA, b"C:\\d") + items),
}
out = pathlib.Path(sys.argv[1])
for name, data in seeds.items():
    (out / (name + ".malware")).write_bytes(data)
PY
fi

# Niced, so builds on the same machine keep their pace.
echo "fuzzing for $seconds s"
exec nice -n 10 "$out/reader-fuzz" -max_total_time="$seconds" -max_len=8192 -dict="$out/reader.dict" \
  -artifact_prefix="$out/" -print_final_stats=1 "$corpus"
