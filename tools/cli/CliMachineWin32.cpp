// The command-line front end on Windows: it works on this PC.
#include "platform/win32/Win32Platform.h"
#include "tools/cli/CliMachine.h"

#include "shell/SavedReport.h"

namespace qm::cli {

namespace {

class ConsolePlatform : public win32::Win32Platform {
public:
    int MessageBoxA(HWND, const char* text, const char*, UINT) override {
        messages.emplace_back(text != nullptr ? text : "");
        return IDOK;
    }
    std::vector<std::string> messages;
};

class ThisPc : public CliMachine {
public:
    Platform& platform() override { return platform_; }
    std::vector<std::string> Messages() override { return platform_.messages; }
    std::string ScriptOnMachine(const std::string& given) override { return given; }
    bool WriteOutput(const std::string& path, const std::string& contents, std::string& error) override {
        return WriteReportFile(path, contents, error);
    }
    void Keep() override {}

private:
    ConsolePlatform platform_;
};

}  // namespace

std::unique_ptr<CliMachine> OpenCliMachine(std::vector<std::string>&, std::string&) {
    return std::make_unique<ThisPc>();
}

std::string MachineUsage() { return ""; }

}  // namespace qm::cli
