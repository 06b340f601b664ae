// What the benchmarks share: a standard simulated machine installed as the
// current platform, scripts generated and compiled onto it, and in-memory
// lists for the passes.
#pragma once

#include <memory>
#include <string>

#include "engine/MemoryPassLists.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/UseMachine.h"

namespace qm::bench {

class BenchMachine : public MemoryPassLists {
public:
    // A Windows XP, or with machineBits 64 a 64-bit Windows 7 running a
    // 64-bit program.
    explicit BenchMachine(int machineBits = 32);
    ~BenchMachine();

    sim::SimPlatform& machine() { return *machine_; }
    // Compiles the source and writes the script onto the machine.
    std::string WriteScript(const std::string& source, const std::string& path = "C:\\bench.malware");
    void WriteFile(const std::string& path, const std::string& bytes);

    PassResult Scan();
    PassResult Remove(const PassOptions& options = {});

private:
    std::unique_ptr<sim::SimPlatform> machine_;
    std::unique_ptr<test::UseMachine> use_;
    std::string script_;
    std::string module_;
};

}  // namespace qm::bench
