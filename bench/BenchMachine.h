// What the benchmarks share: a standard simulated machine installed as the
// current platform, scripts generated and compiled onto it, and in-memory
// lists for the passes.
#pragma once

#include <memory>
#include <string>

#include "engine/MemoryItemList.h"
#include "engine/PassRunner.h"
#include "platform/sim/SimPlatform.h"

namespace qm::bench {

class BenchMachine {
public:
    BenchMachine();
    ~BenchMachine();

    sim::SimPlatform& machine() { return *machine_; }
    // Compiles the source and writes the script onto the machine.
    std::string WriteScript(const std::string& source, const std::string& path = "C:\\bench.malware");
    void WriteFile(const std::string& path, const std::string& bytes);

    PassResult Scan();
    PassResult Remove();

    MemoryItemList registry, disk, ini, process, server, report;

private:
    PassLists Lists();
    std::unique_ptr<sim::SimPlatform> machine_;
    std::unique_ptr<ScopedPlatform> scoped_;
    std::string script_;
    std::string module_;
};

}  // namespace qm::bench
