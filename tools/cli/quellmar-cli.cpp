// quellmar-cli: runs a removal script without windows. On Windows it works on
// this machine; on Linux on a simulated machine folder (--machine DIR).
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/cli/CliRun.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#else
#include "platform/sim/MachineFolder.h"
#endif

namespace {

#ifdef _WIN32
// Message boxes become lines of the output: nobody may be there to click.
class ConsolePlatform : public qm::win32::Win32Platform {
public:
    int MessageBoxA(qm::HWND, const char* text, const char*, qm::UINT) override {
        messages.emplace_back(text != nullptr ? text : "");
        return qm::IDOK;
    }
    std::vector<std::string> messages;
};
#endif

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string machineFolder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--machine" && i + 1 < arguments.size()) {
            machineFolder = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<long>(i), arguments.begin() + static_cast<long>(i) + 2);
            break;
        }
    }
    qm::cli::CliOptions options;
    std::string message;
    if (qm::cli::ParseArguments(arguments, options, message) != 0) {
        std::cerr << message;
        return qm::cli::kUsage;
    }
#ifdef _WIN32
    ConsolePlatform platform;
    qm::ScopedPlatform scoped(platform);
    return qm::cli::RunCli(options, std::cin, std::cout, [&] { return platform.messages; });
#else
    if (machineFolder.empty()) {
        std::cerr << "on Linux, name the simulated machine to work on: --machine DIR\n" << qm::cli::Usage();
        return qm::cli::kUsage;
    }
    try {
        auto machine = qm::sim::OpenMachineFolder(machineFolder);
        qm::ScopedPlatform scoped(*machine);
        // A script given as a file of this computer is copied onto the machine.
        std::ifstream host(options.script, std::ios::binary);
        if (host) {
            std::ostringstream bytes;
            bytes << host.rdbuf();
            const std::string name = options.script.substr(options.script.find_last_of("/\\") + 1);
            machine->CreateDirectoryA("C:\\Quellmar scripts", nullptr);
            options.script = "C:\\Quellmar scripts\\" + name;
            const std::string text = bytes.str();
            qm::HANDLE file = machine->CreateFileA(options.script.c_str(), qm::GENERIC_WRITE, 0, nullptr,
                                                   qm::CREATE_ALWAYS, qm::FILE_ATTRIBUTE_NORMAL, 0);
            qm::DWORD written = 0;
            machine->WriteFile(file, text.data(), static_cast<qm::DWORD>(text.size()), &written, nullptr);
            machine->CloseHandle(file);
        }
        auto messages = [&] {
            std::vector<std::string> texts;
            for (const auto& box : machine->messageBoxes()) texts.push_back(box.text);
            return texts;
        };
        const int result = qm::cli::RunCli(options, std::cin, std::cout, messages);
        qm::sim::SaveMachineFolder(*machine, machineFolder);
        return result;
    } catch (const std::exception& error) {
        std::cerr << "quellmar-cli: " << error.what() << "\n";
        return qm::cli::kUsage;
    }
#endif
}
