// The command-line front end on Linux: it works on a simulated machine
// described by a folder (--machine DIR). A scan (--scan) runs on a
// throwaway copy of the folder (ScratchCopy.h), so the folder stays as it
// was to the byte; a removal run works on the folder itself and writes back
// what it changed (SaveMachineFolder).
#include <fstream>
#include <filesystem>

#include "platform/sim/DiskNames.h"
#include "platform/sim/MachineFolder.h"
#include "platform/sim/ScratchCopy.h"
#include "tools/cli/CliMachine.h"

namespace qm::cli {

namespace {

namespace fs = std::filesystem;

class MachineFolder : public CliMachine {
public:
    MachineFolder(std::string folder, bool scanOnly)
        : folder_(std::move(folder)), scratch_(scanOnly ? std::make_unique<sim::ScratchCopy>(folder_) : nullptr),
          machine_(Open()) {}

    Platform& platform() override { return *machine_; }
    // Message boxes and links not followed, in the order they came.
    std::vector<std::string> Messages() override {
        const auto& boxes = machine_->messageBoxes();
        for (; boxesSeen_ < boxes.size(); ++boxesSeen_) messages_.push_back(boxes[boxesSeen_].text);
        const auto& links = machine_->disk().refusedLinks();
        for (; linksSeen_ < links.size(); ++linksSeen_)
            messages_.push_back("A symbolic link leads out of the machine folder and was not followed: " +
                                Original(links[linksSeen_]));
        return messages_;
    }
    // A script given as a file of this computer is read where it is: from
    // its drive when it lies on one of the machine's, else from its folder
    // mapped as a write-protected drive (the last free letter), so nothing
    // is copied onto the machine.
    bool WriteOutput(const std::string& path, const std::string& contents, std::string& error) override {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (file << contents && file.flush()) return true;
        error = "cannot write " + path;
        return false;
    }
    std::string ScriptOnMachine(const std::string& given) override {
        std::error_code ec;
        if (!fs::is_regular_file(given, ec)) return given;  // a path on the machine itself
        const fs::path script = fs::canonical(given, ec);
        if (ec) return given;
        // A script in the folder is read from the copy a scan runs on.
        const auto inCopy = scratch_ ? scratch_->InCopy(script) : std::nullopt;
        if (auto onMachine = machine_->disk().WindowsPathOf(inCopy ? *inCopy : script)) return *onMachine;
        char letter = 'Z';
        while (letter > 'D' && machine_->disk().IsMapped(letter)) --letter;
        machine_->disk().MapDrive(letter, script.parent_path(), true);
        return std::string{letter, ':', '\\'} + sim::AnsiName(script.filename().string());
    }
    void Keep() override {
        if (!scratch_) sim::SaveMachineFolder(*machine_, folder_);
    }

private:
    std::unique_ptr<sim::SimPlatform> Open() {
        try {
            return sim::OpenMachineFolder(scratch_ ? scratch_->path() : fs::path(folder_));
        } catch (const sim::MachineFolderError& error) {
            throw sim::MachineFolderError(Original(error.what()));
        }
    }
    // The folder's own paths in a message about the copy.
    std::string Original(std::string text) const { return scratch_ ? scratch_->AsOriginal(std::move(text)) : text; }

    std::string folder_;
    std::unique_ptr<sim::ScratchCopy> scratch_;   // a scan's copy, removed after the machine
    std::unique_ptr<sim::SimPlatform> machine_;
    std::vector<std::string> messages_;
    std::size_t boxesSeen_ = 0;
    std::size_t linksSeen_ = 0;
};

}  // namespace

std::unique_ptr<CliMachine> OpenCliMachine(std::vector<std::string>& arguments, std::string& message) {
    std::string folder;
    bool scanOnly = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--machine" && i + 1 < arguments.size()) {
            folder = arguments[i + 1];
            arguments.erase(arguments.begin() + static_cast<long>(i), arguments.begin() + static_cast<long>(i) + 2);
            --i;
        } else if (arguments[i] == "--scan") {
            scanOnly = true;  // left for the front end's own options too
        }
    }
    if (folder.empty()) {
        message = "on Linux, name the simulated machine to work on: --machine DIR\n";
        return nullptr;
    }
    try {
        return std::make_unique<MachineFolder>(folder, scanOnly);
    } catch (const std::exception& error) {
        message = "quellmar-cli: " + std::string(error.what()) + "\n";
        return nullptr;
    }
}

std::string MachineUsage() { return "  --machine DIR the simulated Windows machine to work on\n"; }

}  // namespace qm::cli
