// quellmar-cli: runs a removal script without windows. On Windows it works on
// this machine; on Linux on a simulated machine folder (--machine DIR).
#include <iostream>
#include <string>
#include <vector>

#include "tools/cli/CliMachine.h"
#include "tools/cli/CliRun.h"
#include "tools/cli/Terminal.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string message;
    auto machine = qm::cli::OpenCliMachine(arguments, message);
    qm::cli::CliOptions options;
    if (!machine || qm::cli::ParseArguments(arguments, options, message) != 0) {
        std::cerr << message;
        if (!machine) std::cerr << qm::cli::Usage();
        return qm::cli::kUsage;
    }
    try {
        qm::ScopedPlatform scoped(machine->platform());
        int result = 0;
        options.writeOutput = [&](const std::string& path, const std::string& contents, std::string& error) {
            return machine->WriteOutput(path, contents, error);
        };
        if (options.BackupCommand()) {
            result = qm::cli::RunBackupCommand(options, std::cout);
        } else {
            options.script = machine->ScriptOnMachine(options.script);
            options.inputIsTerminal = qm::cli::StandardInputIsTerminal();
            if (qm::cli::StandardErrorIsTerminal()) options.progress = &std::cerr;
            result = qm::cli::RunCli(options, std::cin, std::cout, [&] { return machine->Messages(); });
        }
        machine->Keep();
        return result;
    } catch (const std::exception& error) {
        std::cerr << "quellmar-cli: " << error.what() << "\n";
        return qm::cli::kUsage;
    }
}
