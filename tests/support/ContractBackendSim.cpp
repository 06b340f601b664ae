// The contract suite's backend on Linux: a fresh simulated machine per test.
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

int ExportedFunction() { return 42; }

class SimBackend : public ContractBackend {
public:
    Platform& platform() override { return machine_; }
    std::string ScratchRoot() override { return "C:\\scratch"; }
    bool IsSimulated() const override { return true; }
    bool IsWine() const override { return false; }

    void ShowOwnProcess(const std::string& ownPath) override {
        if (ownId_ == 0) ownId_ = machine_.processes().Start(ownPath);
    }
    DWORD StartProgram(const std::string& path, const std::string&) override {
        const DWORD id = machine_.StartProcess(path);
        machine_.processes().Find(id)->parentId = ownId_;
        return id;
    }
    LoadableModule ExistingModule(const std::string& scratchFolder) override {
        machine_.modules().Define("contract").Export("ExportedFunction", &ExportedFunction);
        const std::string path = scratchFolder + "\\contract.dll";
        const std::string bytes = sim::ModuleTable::ContentHeader("contract") + "rest of the module";
        const HANDLE file = machine_.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
        DWORD written = 0;
        machine_.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        machine_.CloseHandle(file);
        return {path, "ExportedFunction"};
    }

    void UseStandardWindows() override { sim::InstallStandardMachine(machine_); }
    bool Use64BitWindows() override {
        sim::MakeWindows7x64(machine_.settings());
        return true;
    }
    ProgramRun ProgramThatExitsWith(DWORD exitCode, const std::string& scratchFolder) override {
        const std::string path = scratchFolder + "\\exit.exe";
        const HANDLE file = machine_.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
        machine_.CloseHandle(file);
        // The simulated exit.exe ends at once with the number it is given.
        machine_.settings().runProgram = [](const std::string& image, const std::string& line) -> std::optional<DWORD> {
            if (image.size() < 8 || image.compare(image.size() - 8, 8, "exit.exe") != 0) return std::nullopt;
            return static_cast<DWORD>(std::stoul(line.substr(line.find_last_of(' ') + 1)));
        };
        return {path, std::to_string(exitCode)};
    }

private:
    sim::SimPlatform machine_;
    DWORD ownId_ = 0;
};

}  // namespace

std::unique_ptr<ContractBackend> MakeContractBackend() {
    auto backend = std::make_unique<SimBackend>();
    backend->platform().CreateDirectoryA("C:\\scratch", nullptr);
    return backend;
}

}  // namespace qm::test
