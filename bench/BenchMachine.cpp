// The benchmarks' simulated machine.
#include "bench/BenchMachine.h"

#include "platform/sim/StandardMachine.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::bench {

BenchMachine::BenchMachine(int machineBits)
    : machine_(std::make_unique<sim::SimPlatform>()), use_(std::make_unique<test::UseMachine>(*machine_)) {
    if (machineBits == 64) sim::MakeWindows7x64(machine_->settings());
    sim::InstallStandardMachine(*machine_);
}

BenchMachine::~BenchMachine() = default;

void BenchMachine::WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE file = machine_->CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    machine_->WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    machine_->CloseHandle(file);
}

std::string BenchMachine::WriteScript(const std::string& source, const std::string& path) {
    const auto bytes = script::CompileScript(source, "bench.qms");
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    script_ = path;
    return path;
}

PassResult BenchMachine::Scan() {
    ClearItemLists();
    return RunPass(script_, true, Lists(), {}, module_);
}

PassResult BenchMachine::Remove(const PassOptions& options) {
    report.Clear();
    return RunPass(script_, false, Lists(), {}, module_, options);
}

}  // namespace qm::bench
