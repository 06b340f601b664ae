// Helpers for the tests of the script compiler: a walk over a script's
// bytes that follows the reader's own rules (so compiled scripts are checked
// against how they will be read, not against the compiler's decoder), the
// fixture folder, a temporary folder, host files and runs of the program.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "format/FieldKey.h"
#include "tools/script/ScriptCli.h"

namespace qm::script::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct WalkedRecord {
    std::uint16_t type = 0;
    std::uint16_t kind = 0;
    std::string text1;
    std::string text2;
    Bytes data1;
    Bytes data2;
};

struct Walk {
    bool magicFound = false;
    std::vector<WalkedRecord> records;          // string tables not included
    std::vector<std::string> stringTable;       // entries of the latest table
    bool finished = false;                      // the walk ended exactly at the end of the file
};

// The reader's loop: RecordStart from the trailer, the magic there, then
// records until one cannot be read; string-table entries run to the start of
// the trailer, and one that would reach into it ends the loop.
inline Walk WalkScript(std::span<const std::uint8_t> b) {
    Walk walk;
    const std::size_t n = b.size();
    if (n < 8) return walk;
    std::size_t pos = 0;
    const auto read = [&](std::size_t count, Bytes& out) {
        const std::size_t got = std::min(count, n - std::min(pos, n));
        out.assign(b.begin() + static_cast<std::ptrdiff_t>(pos), b.begin() + static_cast<std::ptrdiff_t>(pos + got));
        pos += got;
        return got;
    };
    const auto word = [](const Bytes& v) { return static_cast<std::uint32_t>(v.size() > 0 ? v[0] : 0) | (v.size() > 1 ? v[1] << 8 : 0); };
    const std::uint32_t recordStart = b[n - 4] | (b[n - 3] << 8) | (b[n - 2] << 16) | (static_cast<std::uint32_t>(b[n - 1]) << 24);
    pos = recordStart;
    Bytes chunk;
    if (read(8, chunk) != 8 || std::string(chunk.begin(), chunk.end()) != "-<#QZ#>-") return walk;
    walk.magicFound = true;
    for (;;) {
        if (read(4, chunk) == 0) break;
        if (read(2, chunk) == 0) break;
        WalkedRecord r;
        r.type = static_cast<std::uint16_t>(word(chunk));
        if (r.type == 0x9999) {
            walk.stringTable.clear();
            bool ok = true;
            const std::size_t trailer = n - 8;
            while (pos < trailer) {
                if (trailer - pos < 2 || (read(2, chunk), word(chunk) > trailer - pos)) {
                    ok = false;
                    break;
                }
                read(word(chunk), chunk);
                walk.stringTable.emplace_back(chunk.begin(), chunk.end());
            }
            if (!ok) break;
            continue;
        }
        if (read(2, chunk) == 0) break;
        r.kind = static_cast<std::uint16_t>(word(chunk));
        bool ok = true;
        for (std::string* text : {&r.text1, &r.text2}) {
            if (read(2, chunk) != 2) {
                ok = false;
                break;
            }
            const std::size_t length = word(chunk);
            if (read(length, chunk) != length) {
                ok = false;
                break;
            }
            DescrambleField(chunk.data(), chunk.size());
            text->assign(chunk.begin(), chunk.end());
        }
        if (!ok) break;
        // A data block cut short keeps what was there; a block 2 with no byte
        // at all is still dispatched, but ends the loop.
        std::size_t length = 0;
        std::size_t got = 0;
        for (Bytes* data : {&r.data1, &r.data2}) {
            if (read(2, chunk) == 0) {
                ok = false;
                break;
            }
            length = word(chunk);
            got = read(length, *data);
            DescrambleField(data->data(), data->size());
        }
        if (!ok) break;
        walk.records.push_back(r);
        if (length > 0 && got == 0) break;
    }
    walk.finished = pos == n;
    return walk;
}

inline std::filesystem::path FixtureFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures" / "scripts";
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("qm-script-test-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

// quellmar-script with these arguments, in this process.
inline ToolRun Tool(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunScriptTool(args, out, err);
    return {code, out.str(), err.str()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace qm::script::test
