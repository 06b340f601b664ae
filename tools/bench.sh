#!/usr/bin/env bash
# Builds and runs the benchmarks, then prints the ratios that matter, each
# measured side by side in this one run:
#  - the reader's speed as a share of the floor (read + descramble in one loop);
#  - each pass's time at 20,000 items over its time at 10,000 (linear: about 2),
#    and a restore's;
#  - a removal keeping a backup over the same removal without (at most 2);
#  - a pass on a 64-bit machine (both halves) over the same pass on a 32-bit one;
#  - the simulated machine: a lookup, short path and new folder 800 levels
#    deep over 400 (linear: about 2), "add folder" of 800 new levels over 400
#    (about 4: one lookup per level), a name in a folder of 100,000 entries
#    over one of ten (about 1), a key 400 levels deep over 200, a .reg file
#    with a key 500 levels deep over 250 (about 4: the file holds every key
#    on the way with its full path), and registry.reg of 20,000 keys written
#    back over 10,000; with QM_SIM_BENCH_BEFORE=<an older quellmar_bench>,
#    each of these also against that build, run right after this one;
#  - the command-line front end's peak memory on a 20,000-item script.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh >/dev/null
[[ -f build/linux/build.ninja ]] || cmake --preset linux >/dev/null
cmake --build --preset linux --target quellmar_bench quellmar-cli quellmar-script >/dev/null
out=build/bench
mkdir -p "$out"
build/linux/quellmar_bench --benchmark_out="$out/results.json" --benchmark_out_format=json "$@"

# Peak memory of the command-line front end on a 20,000-item script.
machine=$(mktemp -d /tmp/quellmar-bench-machine.XXXXXX)
trap 'rm -rf "$machine"' EXIT
{
  echo 'description "bench"'
  for ((i = 0; i < 20000; i++)); do
    echo "add key 'HKCU\\Software\\Bench\\K$i'"
  done
} >"$out/items20000.qms"
build/linux/tools/quellmar-script compile "$out/items20000.qms" -o "$out/items20000.malware"

python3 - "$out/results.json" "$machine" "$out/items20000.malware" <<'PY'
import json, os, resource, subprocess, sys
benchmarks = json.load(open(sys.argv[1]))["benchmarks"]
def find(prefix):
    return next(b for b in benchmarks if b["name"] == prefix or b["name"].startswith(prefix + "/"))
def ms(name): return find(name)["real_time"]
print()
reader = find("BM_ReaderWholeScript")["bytes_per_second"] / 1e6
floor = find("BM_FloorReadAndDescramble")["bytes_per_second"] / 1e6
print(f"reader: {reader:.0f} MB/s, floor {floor:.0f} MB/s: {reader / floor:.2f} of the floor (target: at least 0.5)")
for bench in ("BM_RegistryRemovalPass", "BM_MixedScanPass", "BM_MixedRemovalPass", "BM_RestoreMixed"):
    small, large = ms(f"{bench}/10000"), ms(f"{bench}/20000")
    rate = find(f"{bench}/20000")["items_per_second"]
    print(f"{bench}: {small:.0f} ms at 10,000 items, {large:.0f} ms at 20,000 ({rate:,.0f} items/s): "
          f"ratio {large / small:.2f} (target 1.8 to 2.2)")
kept, plain = ms("BM_MixedRemovalPassWithBackup/20000"), ms("BM_MixedRemovalPass/20000")
print(f"removal of 20,000 items with a backup {kept:.0f} ms, without {plain:.0f} ms: ratio {kept / plain:.2f} (target at most 2)")
for bench in ("BM_HalvesScanPass", "BM_HalvesRemovalPass"):
    for bits in (32, 64):
        small, large = ms(f"{bench}/{bits}/10000"), ms(f"{bench}/{bits}/20000")
        print(f"{bench} on a {bits}-bit machine: {small:.0f} ms at 10,000 items, {large:.0f} ms at 20,000: "
              f"ratio {large / small:.2f} (target 1.8 to 2.2)")
    both, one = ms(f"{bench}/64/20000"), ms(f"{bench}/32/20000")
    print(f"{bench}, 20,000 items: both halves {both:.0f} ms, one {one:.0f} ms: ratio {both / one:.2f} (target at most 2.2)")
for bench in ("BM_LookupAtDepth", "BM_ShortPathAtDepth", "BM_NewFolderAtDepth"):
    half, full = ms(f"{bench}/400"), ms(f"{bench}/800")
    print(f"{bench}: 400 levels {half:.0f} ns, 800 levels {full:.0f} ns: ratio {full / half:.2f} (linear: about 2)")
small, big = ms("BM_LookupInFolder/10"), ms("BM_LookupInFolder/100000")
print(f"BM_LookupInFolder: a folder of 10 {small:.2f} us, of 100,000 {big:.2f} us: ratio {big / small:.2f} (target about 1)")
half, full = ms("BM_AddFolderAtDepth/400"), ms("BM_AddFolderAtDepth/800")
print(f"BM_AddFolderAtDepth: 400 levels {half:.0f} ms, 800 levels {full:.0f} ms: ratio {full / half:.2f} (about 4)")
half, full = ms("BM_RegFileDeepKey/250"), ms("BM_RegFileDeepKey/500")
print(f"BM_RegFileDeepKey: 250 levels {half:.0f} us, 500 levels {full:.0f} us: ratio {full / half:.2f} (about 4)")
half, full = ms("BM_OpenKeyAtDepth/200"), ms("BM_OpenKeyAtDepth/400")
print(f"BM_OpenKeyAtDepth: 200 levels {half:.0f} ns, 400 levels {full:.0f} ns: ratio {full / half:.2f} (linear: about 2)")
small, large = ms("BM_SaveRegistryFile/10000"), ms("BM_SaveRegistryFile/20000")
print(f"BM_SaveRegistryFile: 10,000 keys {small:.0f} ms, 20,000 {large:.0f} ms: ratio {large / small:.2f} (linear: about 2)")
before_bench = os.environ.get("QM_SIM_BENCH_BEFORE")
if before_bench:
    # The same simulated-machine benchmarks of an older build, right after these.
    sim = [b["name"] for b in benchmarks if b["name"].split("/")[0] in (
        "BM_LookupAtDepth", "BM_ShortPathAtDepth", "BM_NewFolderAtDepth", "BM_AddFolderAtDepth",
        "BM_LookupInFolder", "BM_OpenKeyAtDepth", "BM_RegFileDeepKey", "BM_SaveRegistryFile")]
    pattern = "^(" + "|".join(sim) + ")$"
    old = json.loads(subprocess.run([before_bench, "--benchmark_filter=" + pattern, "--benchmark_format=json"],
                                    check=True, capture_output=True, text=True).stdout)["benchmarks"]
    for b in old:
        now = ms(b["name"])
        print(f"{b['name']}: before {b['real_time']:.4g}, now {now:.4g} {b['time_unit']}: "
              f"before over now {b['real_time'] / now:.2f}")
run = subprocess.run(["build/linux/quellmar-cli", "--scan", "--machine", sys.argv[2], sys.argv[3]],
                     stdout=subprocess.DEVNULL)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
print(f"quellmar-cli --scan on 20,000 items: peak memory {peak:.0f} MiB (exit {run.returncode})")
PY
