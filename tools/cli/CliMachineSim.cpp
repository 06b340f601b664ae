// The command-line front end on Linux: it works on a simulated machine
// described by a folder (--machine DIR).
#include <fstream>
#include <sstream>

#include "platform/sim/MachineFolder.h"
#include "tools/cli/CliMachine.h"

namespace qm::cli {

namespace {

class MachineFolder : public CliMachine {
public:
    explicit MachineFolder(std::string folder) : folder_(std::move(folder)), machine_(sim::OpenMachineFolder(folder_)) {}

    Platform& platform() override { return *machine_; }
    std::vector<std::string> Messages() override {
        std::vector<std::string> texts;
        for (const auto& box : machine_->messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    // A script given as a file of this computer is copied onto the machine.
    std::string ScriptOnMachine(const std::string& given) override {
        std::ifstream host(given, std::ios::binary);
        if (!host) return given;
        std::ostringstream bytes;
        bytes << host.rdbuf();
        const std::string name = given.substr(given.find_last_of("/\\") + 1);
        machine_->CreateDirectoryA("C:\\Quellmar scripts", nullptr);
        const std::string path = "C:\\Quellmar scripts\\" + name;
        const std::string text = bytes.str();
        const HANDLE file =
            machine_->CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        DWORD written = 0;
        machine_->WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        machine_->CloseHandle(file);
        return path;
    }
    void Keep() override { sim::SaveMachineFolder(*machine_, folder_); }

private:
    std::string folder_;
    std::unique_ptr<sim::SimPlatform> machine_;
};

}  // namespace

std::unique_ptr<CliMachine> OpenCliMachine(std::vector<std::string>& arguments, std::string& message) {
    std::string folder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--machine" && i + 1 < arguments.size()) {
            folder = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<long>(i), arguments.begin() + static_cast<long>(i) + 2);
            break;
        }
    }
    if (folder.empty()) {
        message = "on Linux, name the simulated machine to work on: --machine DIR\n";
        return nullptr;
    }
    try {
        return std::make_unique<MachineFolder>(folder);
    } catch (const std::exception& error) {
        message = "quellmar-cli: " + std::string(error.what()) + "\n";
        return nullptr;
    }
}

std::string MachineUsage() { return "  --machine DIR the simulated Windows machine to work on\n"; }

}  // namespace qm::cli
