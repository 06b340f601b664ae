// Path and text helpers shared by the core.
#include "locations/Paths.h"

#include "platform/Platform.h"

namespace qm {

namespace {

std::string::size_type LastDelimiter(const std::string& path) { return path.find_last_of("\\:"); }

}  // namespace

std::string ExtractFilePath(const std::string& path) {
    const auto at = LastDelimiter(path);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string ExtractFileName(const std::string& path) {
    const auto at = LastDelimiter(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string ExtractFileExt(const std::string& path) {
    const auto at = path.find_last_of("\\:.");
    if (at == std::string::npos || path[at] != '.') return {};
    return path.substr(at);
}

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: up to the backslash after the share name.
        auto server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return {};
        auto share = path.find('\\', server + 1);
        return path.substr(0, share);
    }
    return {};
}

std::string IncludeTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

std::string UpperCaseAZ(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string AnsiUpperCase(std::string text) {
    if (!text.empty()) CurrentPlatform().CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = CurrentPlatform().GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    Platform& p = CurrentPlatform();
    WIN32_FIND_DATAA data;
    HANDLE find = p.FindFirstFileA(path.c_str(), &data);
    if (find == kInvalidHandle) return false;
    p.FindClose(find);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ForceDirectories(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    // Drive roots ("C:") and empty texts are taken as existing.
    if (folder.size() < 3 || DirectoryExists(folder)) return true;
    const std::string parent = ExtractFilePath(folder);
    if (!parent.empty() && !ForceDirectories(parent)) return false;
    return CurrentPlatform().CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
}

}  // namespace qm
