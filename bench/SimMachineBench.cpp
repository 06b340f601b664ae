// The simulated machine's own costs: a lookup, a short path and a new folder
// at the end of paths 100 to 800 levels deep (linear: twice the depth, about
// twice the time), what "add folder" does for 400 and 800 new levels, a name
// looked up in a folder of ten and of 100,000 entries (about the same time),
// a key opened 100 to 400 levels deep, a .reg file with a key 250 and 500
// levels deep read and written, and registry.reg written back after a run.
// tools/bench.sh prints the ratios. Only calls the simulation has long had
// are used, so the same file measures an older build side by side.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/MachineFolder.h"
#include "platform/sim/RegFile.h"
#include "platform/sim/SimPlatform.h"

namespace qm::bench {

namespace {

namespace fs = std::filesystem;

// "C:\L\L..." of that depth; on the host in another case, so every name is
// found without regard to case, the way that costs most. (Short names keep
// 800 levels within the host's own limit on a path.)
std::string DeepPath(sim::SimPlatform& machine, int depth) {
    std::string path = "C:";
    fs::path host = machine.hostRoot() / "drive_c";
    for (int i = 0; i < depth; ++i) {
        path += "\\L";
        host /= "l";
    }
    fs::create_directories(host);
    return path;
}

void BM_LookupAtDepth(benchmark::State& state) {
    sim::SimPlatform machine;
    const std::string path = DeepPath(machine, static_cast<int>(state.range(0)));
    DWORD attributes = 0;
    for (auto _ : state) benchmark::DoNotOptimize(machine.disk().GetAttributes(path, attributes));
}
BENCHMARK(BM_LookupAtDepth)->Arg(100)->Arg(200)->Arg(400)->Arg(800);

void BM_ShortPathAtDepth(benchmark::State& state) {
    sim::SimPlatform machine;
    const std::string path = DeepPath(machine, static_cast<int>(state.range(0)));
    std::string shortPath;
    for (auto _ : state) benchmark::DoNotOptimize(machine.disk().ShortPath(path, shortPath));
}
BENCHMARK(BM_ShortPathAtDepth)->Arg(100)->Arg(200)->Arg(400)->Arg(800);

// What "add folder" does at the end of a deep path: a new folder, removed again.
void BM_NewFolderAtDepth(benchmark::State& state) {
    sim::SimPlatform machine;
    const std::string path = DeepPath(machine, static_cast<int>(state.range(0))) + "\\New";
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine.disk().CreateDirectory(path));
        benchmark::DoNotOptimize(machine.disk().RemoveDirectory(path));
    }
}
BENCHMARK(BM_NewFolderAtDepth)->Arg(100)->Arg(200)->Arg(400)->Arg(800);

// What "add folder" does with a path of n new levels (ForceDirectories):
// each level looked up and made, the top one first. Then they go again,
// outside the measured time.
void BM_AddFolderAtDepth(benchmark::State& state) {
    sim::SimPlatform machine;
    std::vector<std::string> levels;
    std::string path = "C:";
    for (int i = 0; i < state.range(0); ++i) levels.push_back(path += "\\L");
    for (auto _ : state) {
        DWORD attributes = 0;
        for (const std::string& level : levels)
            if (machine.disk().GetAttributes(level, attributes) != 0) machine.disk().CreateDirectory(level);
        state.PauseTiming();
        for (auto it = levels.rbegin(); it != levels.rend(); ++it) machine.disk().RemoveDirectory(*it);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddFolderAtDepth)->Arg(400)->Arg(800)->Unit(benchmark::kMillisecond);

// A name of a folder of n entries, asked for in another case and by its alias.
void BM_LookupInFolder(benchmark::State& state) {
    sim::SimPlatform machine;
    const int entries = static_cast<int>(state.range(0));
    const fs::path folder = machine.hostRoot() / "drive_c" / "System32";
    fs::create_directories(folder);
    for (int i = 0; i < entries; ++i) std::ofstream(folder / ("Library " + std::to_string(i) + ".dll"));
    DWORD attributes = 0;
    // The folder read once, and its names given their aliases.
    machine.disk().GetAttributes("C:\\SYSTEM32\\LIBRARY 0.DLL", attributes);
    machine.disk().GetAttributes("C:\\SYSTEM32\\LIBRAR~1.DLL", attributes);
    int i = 0;
    for (auto _ : state) {
        const std::string name = "C:\\SYSTEM32\\LIBRARY " + std::to_string(i++ % 10) + ".DLL";
        benchmark::DoNotOptimize(machine.disk().GetAttributes(name, attributes));
        benchmark::DoNotOptimize(machine.disk().GetAttributes("C:\\SYSTEM32\\LIBRAR~1.DLL", attributes));
    }
}
BENCHMARK(BM_LookupInFolder)->Arg(10)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_OpenKeyAtDepth(benchmark::State& state) {
    sim::SimPlatform machine;
    std::u16string path = u"Software";
    for (int i = 0; i < state.range(0); ++i) path += u"\\Level";
    machine.registry().CreateKey(u"HKCU\\" + path);
    for (auto _ : state) {
        HKEY key = 0;
        benchmark::DoNotOptimize(machine.RegOpenKeyExW(HKCU, path.c_str(), 0, KEY_READ, &key));
        machine.RegCloseKey(key);
    }
}
BENCHMARK(BM_OpenKeyAtDepth)->Arg(100)->Arg(200)->Arg(400);

// A .reg file holding one key n levels deep (within Windows' 512), read into
// a registry and written out again.
void BM_RegFileDeepKey(benchmark::State& state) {
    std::string path = "HKEY_CURRENT_USER\\Software";
    for (int i = 0; i < state.range(0); ++i) path += "\\Level";
    const std::string file = "REGEDIT4\r\n\r\n[" + path + "]\r\n\"v\"=\"deep\"\r\n\r\n";
    for (auto _ : state) {
        sim::RegistryStore store;
        sim::ImportRegFile(store, file);
        benchmark::DoNotOptimize(sim::ExportRegFile(store, sim::RegFileFormat::Regedit4));
    }
}
BENCHMARK(BM_RegFileDeepKey)->Arg(250)->Arg(500)->Unit(benchmark::kMicrosecond);

// registry.reg of n keys written back after a run that changed one value.
void BM_SaveRegistryFile(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("qm-bench-machine-" + std::to_string(state.range(0)));
    fs::remove_all(folder);
    fs::create_directories(folder);
    {
        std::ofstream file(folder / "registry.reg", std::ios::binary);
        file << "REGEDIT4\r\n\r\n";
        for (int i = 0; i < state.range(0); ++i)
            file << "[HKEY_CURRENT_USER\\Software\\Bench\\K" << i << "]\r\n\"v\"=\"" << i << "\"\r\n\r\n";
    }
    std::ofstream(folder / "machine.ini") << "[Machine]\nStandard=no\n";
    for (auto _ : state) {
        state.PauseTiming();
        auto machine = sim::OpenMachineFolder(folder);
        machine->registry().SetString("HKCU\\Software\\Bench\\K0", "v", "changed " + std::to_string(state.iterations()));
        state.ResumeTiming();
        sim::SaveMachineFolder(*machine, folder);
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_SaveRegistryFile)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace qm::bench
