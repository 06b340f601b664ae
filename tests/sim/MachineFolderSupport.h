// What the tests of machine folders share: a temporary folder, host files,
// UTF-16 text, a folder's whole contents (to see that nothing changed), and
// a run of the command-line front end as quellmar-cli makes it.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/support/UseMachine.h"
#include "tools/cli/CliMachine.h"
#include "tools/cli/CliRun.h"

namespace qm::sim::test {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        static std::atomic<unsigned> counter{0};
        path_ = fs::temp_directory_path() /
                ("qm-machine-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::string ReadHost(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteHost(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// UTF-16LE bytes of a text, as a Version 5 .reg file holds it (add "\xFF\xFE" in front).
inline std::string Utf16(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

// Everything below a folder: each entry's relative path with its bytes (a
// folder as "<folder>", a link as where it leads), links not followed.
inline std::map<std::string, std::string> Contents(const fs::path& root) {
    std::map<std::string, std::string> contents;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            contents[name] = "<link to " + fs::read_symlink(it->path()).string() + ">";
        else if (it->is_directory())
            contents[name] = "<folder>";
        else
            contents[name] = ReadHost(it->path());
    }
    return contents;
}

// quellmar-cli's own steps, with these arguments; gives the exit code and the output.
inline int RunQuellmarCli(std::vector<std::string> arguments, std::string& output) {
    std::string message;
    auto machine = cli::OpenCliMachine(arguments, message);
    cli::CliOptions options;
    if (!machine || cli::ParseArguments(arguments, options, message) != 0) {
        output = message;
        return cli::kUsage;
    }
    const qm::test::UseMachine use(machine->platform());
    options.script = machine->ScriptOnMachine(options.script);
    std::istringstream in;
    std::ostringstream out;
    const int code = cli::RunCli(options, in, out, [&] { return machine->Messages(); });
    machine->Keep();
    output = out.str();
    return code;
}

}  // namespace qm::sim::test
