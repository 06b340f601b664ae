// Scan and removal passes over scripts of 10,000 and 20,000 items on the
// simulated machine. Their times must grow linearly with the item count:
// tools/bench.sh prints the ratio of the 20,000 to the 10,000 run.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchMachine.h"
#include "engine/Quarn_link.h"
#include "engine/Restore.h"

namespace qm::bench {

namespace {

// N registry values, all present: the removal pass deletes every one.
std::string RegistryScript(int items) {
    std::string source = "description \"bench\"\nowner \"Bench\"\n";
    for (int i = 0; i < items; ++i)
        source += "delete value 'HKCU\\Software\\Bench\\K" + std::to_string(i / 100) + "' \"v" + std::to_string(i) +
                  "\" REG_SZ\n";
    return source;
}

void MakeRegistryItems(sim::SimPlatform& machine, int items) {
    for (int i = 0; i < items; ++i) {
        const std::string key = "Software\\Bench\\K" + std::to_string(i / 100);
        HKEY handle = 0;
        machine.RegCreateKeyExA(HKCU, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
        const std::string name = "v" + std::to_string(i);
        machine.RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        machine.RegCloseKey(handle);
    }
}

// The folder of item i: ten items to a folder, a hundred folders to a group,
// so that no folder, INI file or key grows with the script (as on a real
// machine, where the pests' items are spread over many places).
std::string Folder(int i) { return "C:\\bench\\g" + std::to_string(i / 1000) + "\\f" + std::to_string(i / 10); }

// A mix of every common kind: registry values, files queued for deletion,
// INI values, new keys and folders. Every item is present, so every one makes
// a row.
std::string MixedScript(int items) {
    std::string source = "description \"bench\"\nowner \"Bench\"\n";
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        const std::string group = std::to_string(i / 10);
        switch (i % 5) {
            case 0: source += "delete value 'HKCU\\Software\\Bench\\K" + group + "' \"v" + n + "\" REG_SZ\n"; break;
            case 1: source += "delete file '" + Folder(i) + "\\file" + n + ".txt'\n"; break;
            case 2: source += "delete ini-value '" + Folder(i) + ".ini' \"S\" \"v" + n + "\"\n"; break;
            case 3: source += "add key 'HKCU\\Software\\BenchNew\\K" + group + "\\K" + n + "'\n"; break;
            case 4:
                source += "add folder 'C:\\bench\\new\\g" + std::to_string(i / 1000) + "\\d" + group + "\\d" + n +
                          "'\n";
                break;
        }
    }
    return source;
}

void MakeMixedItems(BenchMachine& bench, int items) {
    sim::SimPlatform& machine = bench.machine();
    // What an earlier removal added goes again, so every item has work to do.
    DeleteKeyTree(HKCU, "Software\\BenchNew");
    RemoveFolderTree("C:\\bench\\new");
    machine.CreateDirectoryA("C:\\bench", nullptr);
    for (int i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        const std::string group = std::to_string(i / 10);
        if (i % 5 == 0) {
            HKEY handle = 0;
            const std::string key = "Software\\Bench\\K" + group;
            machine.RegCreateKeyExA(HKCU, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
            machine.RegSetValueExA(handle, ("v" + n).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
            machine.RegCloseKey(handle);
        } else if (i % 5 == 1) {
            machine.CreateDirectoryA(("C:\\bench\\g" + std::to_string(i / 1000)).c_str(), nullptr);
            machine.CreateDirectoryA(Folder(i).c_str(), nullptr);
            bench.WriteFile(Folder(i) + "\\file" + n + ".txt", "x");
        } else if (i % 5 == 2) {
            machine.CreateDirectoryA(("C:\\bench\\g" + std::to_string(i / 1000)).c_str(), nullptr);
            machine.WritePrivateProfileStringA("S", ("v" + n).c_str(), "1", (Folder(i) + ".ini").c_str());
        }
    }
}

void BM_RegistryRemovalPass(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    BenchMachine bench;
    bench.WriteScript(RegistryScript(items));
    for (auto _ : state) {
        state.PauseTiming();
        MakeRegistryItems(bench.machine(), items);
        bench.Scan();
        if (bench.registry.RowCount() != items) state.SkipWithError("the scan did not list every item");
        state.ResumeTiming();
        bench.Remove();
        benchmark::DoNotOptimize(bench.report.RowCount());
    }
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_RegistryRemovalPass)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MixedScanPass(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    BenchMachine bench;
    bench.WriteScript(MixedScript(items));
    MakeMixedItems(bench, items);
    for (auto _ : state) {
        bench.Scan();
        benchmark::DoNotOptimize(bench.registry.RowCount());
    }
    const int rows = bench.registry.RowCount() + bench.disk.RowCount() + bench.ini.RowCount();
    if (rows != items) state.SkipWithError("the scan did not list every item");
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_MixedScanPass)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MixedRemovalPass(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    BenchMachine bench;
    bench.WriteScript(MixedScript(items));
    for (auto _ : state) {
        state.PauseTiming();
        MakeMixedItems(bench, items);
        bench.Scan();
        state.ResumeTiming();
        bench.Remove();
        benchmark::DoNotOptimize(bench.report.RowCount());
    }
    if (bench.report.RowCount() != items) state.SkipWithError("the removal did not report every item");
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_MixedRemovalPass)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same removal keeping a backup of every change: tools/bench.sh sets it
// beside BM_MixedRemovalPass/20000 (target: at most twice).
void BM_MixedRemovalPassWithBackup(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    BenchMachine bench;
    bench.WriteScript(MixedScript(items));
    PassOptions options;
    options.keepBackup = true;
    for (auto _ : state) {
        state.PauseTiming();
        MakeMixedItems(bench, items);
        bench.Scan();
        state.ResumeTiming();
        const PassResult result = bench.Remove(options);
        state.PauseTiming();
        // New keys and folders bring their new parents: at least one change an item.
        if (result.backupChanges < items) {
            state.SkipWithError("the backup did not keep every change");
            break;
        }
        std::string error;
        if (const auto backup = FindBackup("latest")) DeleteBackup(*backup, error);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_MixedRemovalPassWithBackup)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

// Restoring such a backup: linear in its changes (20,000 over 10,000: about 2).
void BM_RestoreMixed(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    BenchMachine bench;
    bench.WriteScript(MixedScript(items));
    PassOptions options;
    options.keepBackup = true;
    for (auto _ : state) {
        state.PauseTiming();
        MakeMixedItems(bench, items);
        bench.Scan();
        bench.Remove(options);
        const auto backup = FindBackup("latest");
        if (!backup) {
            state.SkipWithError("no backup was kept");
            break;
        }
        state.ResumeTiming();
        const RestoreOutcome outcome = RestoreBackup(*backup, nullptr);
        state.PauseTiming();
        if (outcome.restored < items || outcome.kept + outcome.failed > 0) {
            state.SkipWithError("the restore did not undo every change");
            break;
        }
        std::string error;
        DeleteBackup(*backup, error);
        if (const auto own = FindBackup("latest")) DeleteBackup(*own, error);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_RestoreMixed)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

}  // namespace qm::bench
