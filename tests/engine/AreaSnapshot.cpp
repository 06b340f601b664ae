// Snapshots of a test's registry key and folder, through the platform.
#include "tests/engine/AreaSnapshot.h"

#include <cstdio>
#include <vector>

#include "platform/Handles.h"

namespace qm::test {

namespace {

std::string Hex(const void* data, size_t size) {
    std::string text;
    char byte[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<const unsigned char*>(data)[i]);
        text += byte;
    }
    return text;
}

// UTF-16 names as their bytes: exact, whatever the code page.
std::string NameText(const WCHAR* name, DWORD length) { return Hex(name, length * sizeof(WCHAR)); }

void SnapshotKey(Platform& p, HKEY key, const std::string& path, AreaSnapshot& shot) {
    shot.entries["key " + path] = "";
    for (DWORD index = 0;; ++index) {
        WCHAR name[16384];
        DWORD nameSize = 16384, type = 0, dataSize = 0;
        if (p.RegEnumValueW(key, index, name, &nameSize, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(dataSize + 1);
        nameSize = 16384;
        if (p.RegEnumValueW(key, index, name, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        shot.entries["value " + path + " | " + NameText(name, nameSize)] =
            std::to_string(type) + ":" + Hex(data.data(), dataSize);
    }
    for (DWORD index = 0;; ++index) {
        WCHAR name[256];
        DWORD nameSize = 256;
        if (p.RegEnumKeyExW(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        name[nameSize] = 0;
        RegKey child;
        if (p.RegOpenKeyExW(key, name, 0, KEY_READ, child.receive(p)) != ERROR_SUCCESS) continue;
        SnapshotKey(p, child.get(), path + "\\" + NameText(name, nameSize), shot);
    }
}

std::string TimeText(const FILETIME& time) {
    return std::to_string((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::string FileText(Platform& p, const std::string& path, const WIN32_FIND_DATAA& found,
                     const SnapshotOptions& options) {
    std::string text = "attributes " + std::to_string(found.dwFileAttributes) + " written " +
                       TimeText(found.ftLastWriteTime);
    if (options.creationTimes) text += " created " + TimeText(found.ftCreationTime);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return text;
    FileHandle file(p, p.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, kInvalidHandle));
    if (!file) return text + " unreadable";
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (p.ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return text + " contents " + Hex(bytes.data(), bytes.size());
}

void SnapshotFolder(Platform& p, const std::string& folder, const std::string& relative, AreaSnapshot& shot,
                    const SnapshotOptions& options) {
    WIN32_FIND_DATAA found{};
    FindHandle find(p, p.FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        shot.entries[(isFolder ? "folder " : "file ") + relative + name] = FileText(p, path, found, options);
        if (isFolder) SnapshotFolder(p, path, relative + name + "\\", shot, options);
    } while (p.FindNextFileA(find.get(), &found));
}

}  // namespace

void AddKeyTree(Platform& platform, HKEY root, const std::string& subKey, const std::string& name,
                AreaSnapshot& shot) {
    RegKey key;
    if (platform.RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.receive(platform)) == ERROR_SUCCESS)
        SnapshotKey(platform, key.get(), name, shot);
}

void AddFolderTree(Platform& platform, const std::string& folder, const std::string& name, AreaSnapshot& shot,
                   const SnapshotOptions& options) {
    SnapshotFolder(platform, folder, name.empty() ? name : name + "\\", shot, options);
}

AreaSnapshot TakeSnapshot(Platform& platform, HKEY root, const std::string& subKey, const std::string& folder,
                          const SnapshotOptions& options) {
    AreaSnapshot shot;
    AddKeyTree(platform, root, subKey, "", shot);
    AddFolderTree(platform, folder, "", shot, options);
    return shot;
}

std::string Differences(const AreaSnapshot& before, const AreaSnapshot& after) {
    std::string text;
    for (const auto& [name, held] : before.entries) {
        const auto now = after.entries.find(name);
        if (now == after.entries.end())
            text += "gone: " + name + "\n";
        else if (now->second != held)
            text += "changed: " + name + "\n  was " + held.substr(0, 200) + "\n  now " + now->second.substr(0, 200) + "\n";
    }
    for (const auto& [name, held] : after.entries)
        if (!before.entries.count(name)) text += "new: " + name + "\n";
    return text;
}

}  // namespace qm::test
