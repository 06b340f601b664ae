// The machine the command-line front end works on: this Windows PC, or on
// Linux a simulated machine described by a folder. One implementation per
// backend (CliMachineWin32.cpp, CliMachineSim.cpp), chosen by the build.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace qm::cli {

class CliMachine {
public:
    virtual ~CliMachine() = default;
    virtual Platform& platform() = 0;
    // The texts of the message boxes shown so far: nobody may be there to
    // click, so they become lines of the output.
    virtual std::vector<std::string> Messages() = 0;
    // The script's path as this machine sees it (read where it is: never
    // copied onto the machine).
    virtual std::string ScriptOnMachine(const std::string& given) = 0;
    // Writes an output the user asked for (--report, --json) where the user
    // reads it: on this PC, or on the host beside a simulated machine.
    virtual bool WriteOutput(const std::string& path, const std::string& contents, std::string& error) = 0;
    // After the run: keeps what a removal run changed; after a scan, nothing
    // (a scan changes nothing).
    virtual void Keep() = 0;
};

// Takes this backend's own options out of the arguments and opens its
// machine; null, with a message, when they are wrong.
std::unique_ptr<CliMachine> OpenCliMachine(std::vector<std::string>& arguments, std::string& message);
// This backend's own options, for the usage text.
std::string MachineUsage();

}  // namespace qm::cli
