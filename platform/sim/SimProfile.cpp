// The private-profile (INI) functions of the simulated machine.
//
// The INI file is read and written through the machine's own file functions,
// opened for one call and closed before it returns (nothing is cached), so
// sharing, read-only files and faults injected into the file functions act on
// the profile functions as they do on Windows.
//
// Failures, as Windows reports them:
//  - a file that exists but cannot be opened or read (locked, a folder, a
//    fault) reads like a missing file: the default text, or an empty section
//    list; the last error is that of the failed file call;
//  - a write that cannot open, read or rewrite the file returns FALSE with
//    the file call's error: ERROR_ACCESS_DENIED for a read-only file;
//  - an injected "GetPrivateProfileStringA" fault acts as an unreadable file,
//    an injected "WritePrivateProfileStringA" fault as a refused write.
#include <optional>
#include <string>

#include "platform/sim/ProfileText.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

constexpr DWORD kProfileShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Closes a handle of the simulated machine when the call is done with it.
class FileHandle {
public:
    FileHandle(Platform& platform, HANDLE handle) : platform_(platform), handle_(handle) {}
    ~FileHandle() {
        if (valid()) platform_.CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != kInvalidHandle; }
    HANDLE get() const { return handle_; }

private:
    Platform& platform_;
    HANDLE handle_;
};

bool ReadAll(Platform& platform, HANDLE file, std::string& bytes) {
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!platform.ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
        if (got == 0) return true;
        bytes.append(chunk, got);
    }
}

bool WriteAll(Platform& platform, HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!platform.WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                                &written, nullptr))
            return false;
        if (written == 0) {
            platform.SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

bool HasFolder(const std::string& name) {
    return name.find('\\') != std::string::npos || name.find('/') != std::string::npos ||
           (name.size() >= 2 && name[1] == ':');
}

// The path the profile functions open: no file name means WIN.INI, a bare
// file name lives in the Windows folder; anything with a folder or a drive is
// used as given (relative paths against the current folder).
std::string ProfilePath(const SimSettings& settings, const char* fileName) {
    const std::string name = fileName ? fileName : "win.ini";
    if (HasFolder(name)) return name;
    std::string folder = settings.windowsDirectory;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + name;
}

}  // namespace

DWORD SimPlatform::GetPrivateProfileStringA(const char* section, const char* key,
                                            const char* defaultText, char* buffer, DWORD size,
                                            const char* fileName) {
    std::optional<ProfileText> text;
    if (const auto error = Injected(FailableCall::GetPrivateProfileStringA, fileName ? fileName : "")) {
        lastError_ = *error;
    } else {
        const std::string path = ProfilePath(settings_, fileName);
        FileHandle file(*this, CreateFileA(path.c_str(), GENERIC_READ, kProfileShare, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0));
        std::string bytes;
        if (file.valid() && ReadAll(*this, file.get(), bytes)) text.emplace(bytes);
    }
    return ReadProfileString(text ? &*text : nullptr, section, key, defaultText, buffer, size);
}

BOOL SimPlatform::WritePrivateProfileStringA(const char* section, const char* key,
                                             const char* text, const char* fileName) {
    if (const auto error = Injected(FailableCall::WritePrivateProfileStringA, fileName ? fileName : ""))
        return Fail(*error, FALSE);
    // All three null only asks Windows to flush its cache of the file.
    if (!section && !key && !text) return TRUE;
    if (!section) return Fail(ERROR_FILE_NOT_FOUND, FALSE);

    const DWORD callerError = lastError_;
    const std::string path = ProfilePath(settings_, fileName);
    std::string bytes;
    {
        // Opened for writing first, so a read-only or locked file refuses
        // even an edit that would change nothing; a missing file is created,
        // empty, even when only a deletion was asked for.
        FileHandle file(*this, CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kProfileShare,
                                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0));
        if (!file.valid() || !ReadAll(*this, file.get(), bytes)) return FALSE;
    }

    ProfileText profile(bytes);
    bool changed = false;
    if (!key)
        changed = profile.EraseSection(section);
    else if (!text)
        changed = profile.DeleteValue(section, key);
    else
        changed = profile.SetValue(section, key, text);

    if (changed) {
        FileHandle file(*this, CreateFileA(path.c_str(), GENERIC_WRITE, kProfileShare, nullptr,
                                           TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, 0));
        if (!file.valid() || !WriteAll(*this, file.get(), profile.Bytes())) return FALSE;
    }
    lastError_ = callerError;
    return TRUE;
}

}  // namespace qm::sim
