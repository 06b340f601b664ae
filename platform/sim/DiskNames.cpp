// ANSI names of the simulated disk and their UTF-8 spelling on the host.
#include "platform/sim/DiskNames.h"

#include <optional>

#include <sys/stat.h>

#include "platform/sim/CodePage.h"
#include "regfile/RegFileText.h"

namespace qm::sim {

namespace {

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string HostName(std::string_view ansiName) {
    if (IsAscii(ansiName)) return std::string(ansiName);
    return regfile::ToUtf8(AnsiToUtf16(ansiName));
}

std::filesystem::path HostChild(const std::filesystem::path& folder, std::string_view ansiName) {
    std::filesystem::path utf8 = folder / HostName(ansiName);
    if (IsAscii(ansiName)) return utf8;
    struct stat info {};
    if (::lstat(utf8.c_str(), &info) == 0) return utf8;
    std::filesystem::path bytes = folder / std::string(ansiName);
    return ::lstat(bytes.c_str(), &info) == 0 ? bytes : utf8;
}

std::string AnsiName(std::string_view hostName) {
    if (IsAscii(hostName)) return std::string(hostName);
    if (auto wide = regfile::FromUtf8(hostName)) return Utf16ToAnsi(*wide);
    return std::string(hostName);
}

}  // namespace qm::sim
