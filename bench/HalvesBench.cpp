// The cost of seeing both halves of a 64-bit Windows: the same script's scan
// and removal passes on a simulated 64-bit Windows 7 (every registry item
// tested in both views, files below Program Files also in Program Files
// (x86)) and on a 32-bit Windows XP. tools/bench.sh prints the 64-bit over
// the 32-bit time, and each machine's 20,000 over 10,000 items.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchMachine.h"
#include "engine/Quarn_link.h"

namespace qm::bench {

namespace {

// Ten items to a key or folder, as a pest spreads them.
std::string Group(int i) { return std::to_string(i / 10); }

// Registry values and keys under HKLM\SOFTWARE (which 64-bit Windows keeps
// apart for each view), values to change, and files under Program Files.
std::string HalvesScript(int items) {
    std::string source = "description \"bench\"\nowner \"Bench\"\n";
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 4) {
            case 0: source += "delete value 'HKLM\\SOFTWARE\\Bench\\K" + Group(i) + "' \"v" + n + "\" REG_SZ\n"; break;
            case 1: source += "delete key 'HKLM\\SOFTWARE\\Bench\\K" + Group(i) + "\\K" + n + "'\n"; break;
            case 2:
                source += "change value 'HKLM\\SOFTWARE\\Bench\\K" + Group(i) + "' \"c" + n +
                          "\" REG_SZ from \"old\\0\" to \"new\"\n";
                break;
            case 3: source += "delete file '%programfiles%\\Bench\\f" + Group(i) + "\\file" + n + ".txt'\n"; break;
        }
    }
    return source;
}

void MakeHalvesItems(BenchMachine& bench, int items) {
    sim::SimPlatform& machine = bench.machine();
    char programFiles[MAX_PATH] = {};
    HKEY current = 0;
    machine.RegOpenKeyExA(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &current);
    DWORD size = sizeof programFiles;
    machine.RegQueryValueExA(current, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(programFiles), &size);
    machine.RegCloseKey(current);
    const std::string bench64 = std::string(programFiles) + "\\Bench";
    machine.CreateDirectoryA(bench64.c_str(), nullptr);
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        const std::string key = "SOFTWARE\\Bench\\K" + Group(i);
        HKEY handle = 0;
        machine.RegCreateKeyExA(HKLM, (i % 4 == 1 ? key + "\\K" + n : key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &handle, nullptr);
        if (i % 4 == 0) machine.RegSetValueExA(handle, ("v" + n).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        if (i % 4 == 2)
            machine.RegSetValueExA(handle, ("c" + n).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);
        machine.RegCloseKey(handle);
        if (i % 4 == 3) {
            const std::string folder = bench64 + "\\f" + Group(i);
            machine.CreateDirectoryA(folder.c_str(), nullptr);
            bench.WriteFile(folder + "\\file" + n + ".txt", "x");
        }
    }
}

// Arguments: the machine's bitness (32 or 64), the number of items.
void BM_HalvesScanPass(benchmark::State& state) {
    const int items = static_cast<int>(state.range(1));
    BenchMachine bench(static_cast<int>(state.range(0)));
    bench.WriteScript(HalvesScript(items));
    MakeHalvesItems(bench, items);
    for (auto _ : state) {
        bench.Scan();
        benchmark::DoNotOptimize(bench.registry.RowCount());
    }
    if (bench.registry.RowCount() + bench.disk.RowCount() != items) state.SkipWithError("the scan missed items");
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_HalvesScanPass)
    ->ArgsProduct({{32, 64}, {10000, 20000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_HalvesRemovalPass(benchmark::State& state) {
    const int items = static_cast<int>(state.range(1));
    BenchMachine bench(static_cast<int>(state.range(0)));
    bench.WriteScript(HalvesScript(items));
    for (auto _ : state) {
        state.PauseTiming();
        MakeHalvesItems(bench, items);
        bench.Scan();
        state.ResumeTiming();
        bench.Remove();
        benchmark::DoNotOptimize(bench.report.RowCount());
    }
    if (bench.report.RowCount() != items) state.SkipWithError("the removal did not report every item");
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_HalvesRemovalPass)
    ->ArgsProduct({{32, 64}, {10000, 20000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

}  // namespace qm::bench
