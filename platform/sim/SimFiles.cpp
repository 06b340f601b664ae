// Files, folders, short names, the current directory and the shell's folder
// deletion of the simulated machine: the Windows calling conventions (return
// values, last error, buffer sizes) around the operations of DiskStore.
//
// Fault injection: every call asks Injected first with the path argument as
// given; calls on a handle (ReadFile, WriteFile, SetFilePointer, GetFileSize,
// FindNextFileA, FindClose) use the path the handle was opened with, so a
// test can make the reading of one file fail; GetCurrentDirectoryA uses "".
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/CodePage.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

constexpr WORD kFofFilesOnly = 0x0080;  // FOF_FILESONLY
constexpr DWORD kErrorFilenameExcedRange = 206;  // ERROR_FILENAME_EXCED_RANGE
// CreateDirectoryA leaves room for an 8.3 name in MAX_PATH: a folder's full
// path has fewer characters than this.
constexpr std::size_t kMaxFolderPath = MAX_PATH - 12;

// The ANSI file functions convert a path into a buffer of MAX_PATH + 1
// characters: a longer path fails before anything is looked at.
bool TooLong(const char* path) { return path != nullptr && std::strlen(path) > MAX_PATH; }

// The names of an SHFILEOPSTRUCTA list: each ended by a zero, the list by a
// second zero.
std::vector<std::string> NameList(const char* list) {
    std::vector<std::string> names;
    if (list == nullptr) return names;
    while (*list != '\0') {
        names.emplace_back(list);
        list += names.back().size() + 1;
    }
    return names;
}

// Copies text with its zero when it fits: the length without the zero, or
// else the size needed with it (the buffer is left alone), as the
// folder-returning functions of Windows do.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    const auto length = static_cast<DWORD>(text.size());
    if (buffer == nullptr || size <= length) return length + 1;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return length;
}

constexpr const char* kPendingMovesKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingMovesValue = "PendingFileRenameOperations";

// A multi-string's entries, each with its zero, without the list's final zero.
std::u16string MultiStringEntries(const RegValue& value) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
        text += static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
    // An entry may be empty (a deletion's new name): only the last zero ends the list.
    if (!text.empty() && text.back() == u'\0') text.pop_back();
    if (!text.empty() && text.back() != u'\0') text += u'\0';
    return text;
}

std::string WithoutNtPrefix(std::u16string_view path) {
    if (!path.empty() && path.front() == u'!') path.remove_prefix(1);
    if (path.substr(0, 4) == u"\\??\\") path.remove_prefix(4);
    return Utf16ToAnsi(path);
}

}  // namespace

std::vector<DelayedMove> SimPlatform::delayedMoves() const {
    std::vector<DelayedMove> moves;
    const auto value = registry_.GetValue(kPendingMovesKey, kPendingMovesValue);
    if (!value || value->type != REG_MULTI_SZ) return moves;
    const std::u16string entries = MultiStringEntries(*value);
    std::vector<std::u16string> names;
    for (std::size_t start = 0; start < entries.size();) {
        const std::size_t end = entries.find(u'\0', start);
        names.push_back(entries.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 0; i + 1 < names.size(); i += 2)
        moves.push_back(DelayedMove{WithoutNtPrefix(names[i]), WithoutNtPrefix(names[i + 1])});
    return moves;
}

HANDLE SimPlatform::CreateFileA(const char* fileName, DWORD access, DWORD shareMode,
                                const void* /*securityAttributes*/, DWORD creation, DWORD flags,
                                HANDLE /*templateFile*/) {
    if (fileName == nullptr) return Fail(ERROR_PATH_NOT_FOUND, kInvalidHandle);
    if (auto error = Injected(FailableCall::CreateFileA, fileName)) return Fail(*error, kInvalidHandle);
    if (TooLong(fileName)) return Fail(kErrorFilenameExcedRange, kInvalidHandle);
    const HANDLE handle = NewHandle();
    bool existed = false;
    if (DWORD error = disk_.OpenFile(handle, fileName, access, shareMode, creation, flags, existed))
        return Fail(error, kInvalidHandle);
    // Windows tells the caller whether CREATE_ALWAYS or OPEN_ALWAYS found the file.
    lastError_ = existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : 0;
    return handle;
}

BOOL SimPlatform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* /*overlapped*/) {
    if (read != nullptr) *read = 0;
    const std::string* path = disk_.OpenedAs(file);
    if (auto error = Injected(FailableCall::ReadFile, path ? *path : std::string())) return Fail(*error, FALSE);
    DWORD got = 0;
    if (DWORD error = disk_.ReadFile(file, buffer, toRead, got)) return Fail(error, FALSE);
    if (read != nullptr) *read = got;
    return TRUE;
}

BOOL SimPlatform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                            void* /*overlapped*/) {
    if (written != nullptr) *written = 0;
    const std::string* path = disk_.OpenedAs(file);
    if (auto error = Injected(FailableCall::WriteFile, path ? *path : std::string())) return Fail(*error, FALSE);
    DWORD put = 0;
    if (DWORD error = disk_.WriteFile(file, buffer, toWrite, put)) return Fail(error, FALSE);
    if (written != nullptr) *written = put;
    return TRUE;
}

DWORD SimPlatform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
    const std::string* path = disk_.OpenedAs(file);
    if (auto error = Injected(FailableCall::SetFilePointer, path ? *path : std::string()))
        return Fail(*error, INVALID_SET_FILE_POINTER);
    // Without the high part the distance is a signed 32-bit value.
    const std::int64_t move = distanceHigh != nullptr
                                  ? static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                              static_cast<DWORD>(distance))
                                  : static_cast<std::int64_t>(distance);
    std::uint64_t position = 0;
    if (DWORD error = disk_.SetFilePointer(file, move, method, position))
        return Fail(error, INVALID_SET_FILE_POINTER);
    if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(position >> 32);
    const auto low = static_cast<DWORD>(position & 0xFFFFFFFFu);
    if (low == INVALID_SET_FILE_POINTER) lastError_ = 0;  // a position, not a failure
    return low;
}

DWORD SimPlatform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
    const std::string* path = disk_.OpenedAs(file);
    if (auto error = Injected(FailableCall::GetFileSize, path ? *path : std::string())) return Fail(*error, INVALID_FILE_SIZE);
    std::uint64_t size = 0;
    if (DWORD error = disk_.GetFileSize(file, size)) return Fail(error, INVALID_FILE_SIZE);
    if (sizeHigh != nullptr) *sizeHigh = static_cast<DWORD>(size >> 32);
    const auto low = static_cast<DWORD>(size & 0xFFFFFFFFu);
    if (low == INVALID_FILE_SIZE) lastError_ = 0;
    return low;
}

HANDLE SimPlatform::FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* data) {
    if (fileName == nullptr || data == nullptr) return Fail(ERROR_INVALID_PARAMETER, kInvalidHandle);
    if (auto error = Injected(FailableCall::FindFirstFileA, fileName)) return Fail(*error, kInvalidHandle);
    if (TooLong(fileName)) return Fail(kErrorFilenameExcedRange, kInvalidHandle);
    const HANDLE handle = NewHandle();
    WIN32_FIND_DATAA found;
    if (DWORD error = disk_.FindFirst(handle, fileName, found)) return Fail(error, kInvalidHandle);
    *data = found;
    return handle;
}

BOOL SimPlatform::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
    const std::string* pattern = disk_.OpenedAs(find);
    if (auto error = Injected(FailableCall::FindNextFileA, pattern ? *pattern : std::string())) return Fail(*error, FALSE);
    WIN32_FIND_DATAA found;
    if (DWORD error = disk_.FindNext(find, found)) return Fail(error, FALSE);
    if (data != nullptr) *data = found;
    return TRUE;
}

BOOL SimPlatform::FindClose(HANDLE find) {
    const std::string* pattern = disk_.OpenedAs(find);
    if (auto error = Injected(FailableCall::FindClose, pattern ? *pattern : std::string())) return Fail(*error, FALSE);
    if (!disk_.FindClose(find)) return Fail(ERROR_INVALID_HANDLE, FALSE);
    return TRUE;
}

DWORD SimPlatform::GetFileAttributesA(const char* fileName) {
    if (fileName == nullptr) return Fail(ERROR_INVALID_PARAMETER, INVALID_FILE_ATTRIBUTES);
    if (auto error = Injected(FailableCall::GetFileAttributesA, fileName)) return Fail(*error, INVALID_FILE_ATTRIBUTES);
    if (TooLong(fileName)) return Fail(kErrorFilenameExcedRange, INVALID_FILE_ATTRIBUTES);
    DWORD attributes = 0;
    if (DWORD error = disk_.GetAttributes(fileName, attributes)) return Fail(error, INVALID_FILE_ATTRIBUTES);
    return attributes;
}

BOOL SimPlatform::SetFileAttributesA(const char* fileName, DWORD attributes) {
    if (fileName == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (auto error = Injected(FailableCall::SetFileAttributesA, fileName)) return Fail(*error, FALSE);
    if (TooLong(fileName)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.SetAttributes(fileName, attributes)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::CreateDirectoryA(const char* pathName, const void* /*securityAttributes*/) {
    if (pathName == nullptr) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    if (auto error = Injected(FailableCall::CreateDirectoryA, pathName)) return Fail(*error, FALSE);
    if (TooLong(pathName)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (WindowsPath full; ParseWindowsPath(pathName, disk_.CurrentDirectory(), full) == 0 &&
                          full.Text().size() >= kMaxFolderPath)
        return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.CreateDirectory(pathName)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::RemoveDirectoryA(const char* pathName) {
    if (pathName == nullptr) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    if (auto error = Injected(FailableCall::RemoveDirectoryA, pathName)) return Fail(*error, FALSE);
    if (TooLong(pathName)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.RemoveDirectory(pathName)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::DeleteFileA(const char* fileName) {
    if (fileName == nullptr) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    if (auto error = Injected(FailableCall::DeleteFileA, fileName)) return Fail(*error, FALSE);
    if (TooLong(fileName)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.DeleteFile(fileName)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::MoveFileA(const char* existing, const char* newName) {
    if (existing == nullptr || newName == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (auto error = Injected(FailableCall::MoveFileA, existing)) return Fail(*error, FALSE);
    if (TooLong(existing)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.MoveFile(existing, newName, MOVEFILE_COPY_ALLOWED)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::MoveFileExA(const char* existing, const char* newName, DWORD flags) {
    if (existing == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (auto error = Injected(FailableCall::MoveFileExA, existing)) return Fail(*error, FALSE);
    if (TooLong(existing)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        // Windows only records the move for its next start (no new name: a
        // deletion); the machine's user may do so, as on an administrator's
        // account.
        if (flags & MOVEFILE_COPY_ALLOWED) return Fail(ERROR_INVALID_PARAMETER, FALSE);
        // Kept where Windows keeps it, pairs of NT paths in one multi-string:
        // the file, then its new name (empty: delete; "!": replace).
        std::u16string pending;
        if (auto old = registry_.GetValue(kPendingMovesKey, kPendingMovesValue); old && old->type == REG_MULTI_SZ)
            pending = MultiStringEntries(*old);
        pending += u"\\??\\" + AnsiToUtf16(existing) + u'\0';
        if (newName != nullptr)
            pending += std::u16string(flags & MOVEFILE_REPLACE_EXISTING ? u"!" : u"") + u"\\??\\" + AnsiToUtf16(newName);
        pending += u'\0';
        pending += u'\0';
        std::vector<BYTE> data(pending.size() * 2);
        for (std::size_t i = 0; i < pending.size(); ++i) {
            data[2 * i] = static_cast<BYTE>(pending[i] & 0xFF);
            data[2 * i + 1] = static_cast<BYTE>(pending[i] >> 8);
        }
        if (!registry_.SetValue(kPendingMovesKey, kPendingMovesValue, REG_MULTI_SZ, std::move(data)))
            return Fail(ERROR_ACCESS_DENIED, FALSE);
        return TRUE;
    }
    if (newName == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (DWORD error = disk_.MoveFile(existing, newName, flags)) return Fail(error, FALSE);
    return TRUE;
}

DWORD SimPlatform::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
    if (longPath == nullptr) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    if (auto error = Injected(FailableCall::GetShortPathNameA, longPath)) return Fail(*error, DWORD{0});
    if (TooLong(longPath)) return Fail(kErrorFilenameExcedRange, DWORD{0});
    std::string result;
    if (DWORD error = disk_.ShortPath(longPath, result)) return Fail(error, DWORD{0});
    return CopyOut(result, shortPath, size);
}

DWORD SimPlatform::GetLongPathNameA(const char* shortPath, char* longPath, DWORD size) {
    if (shortPath == nullptr) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    if (auto error = Injected(FailableCall::GetLongPathNameA, shortPath)) return Fail(*error, DWORD{0});
    if (TooLong(shortPath)) return Fail(kErrorFilenameExcedRange, DWORD{0});
    std::string result;
    if (DWORD error = disk_.LongPath(shortPath, result)) return Fail(error, DWORD{0});
    return CopyOut(result, longPath, size);
}

DWORD SimPlatform::GetFullPathNameA(const char* fileName, DWORD bufferLength, char* buffer, char** filePart) {
    if (fileName == nullptr) return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
    if (auto error = Injected(FailableCall::GetFullPathNameA, fileName)) return Fail(*error, DWORD{0});
    if (TooLong(fileName)) return Fail(kErrorFilenameExcedRange, DWORD{0});
    WindowsPath path;
    if (DWORD error = ParseWindowsPath(fileName, disk_.CurrentDirectory(), path)) return Fail(error, DWORD{0});
    // A trailing separator stays, as the text asked for a folder.
    std::string full = path.Text();
    if (path.trailingSeparator && !path.IsRoot()) full += '\\';
    const DWORD length = CopyOut(full, buffer, bufferLength);
    if (filePart != nullptr && buffer != nullptr && length < bufferLength) {
        const std::size_t slash = full.find_last_of('\\');
        *filePart = slash + 1 < full.size() ? buffer + slash + 1 : nullptr;
    }
    return length;
}

BOOL SimPlatform::CopyFileA(const char* existing, const char* newName, BOOL failIfExists) {
    if (existing == nullptr || newName == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (auto error = Injected(FailableCall::CopyFileA, existing)) return Fail(*error, FALSE);
    if (TooLong(existing)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.CopyFile(existing, newName, failIfExists != FALSE)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    const std::string* path = disk_.OpenedAs(file);
    if (auto error = Injected(FailableCall::GetFileTime, path ? *path : std::string())) return Fail(*error, FALSE);
    if (DWORD error = disk_.GetTimes(file, creation, lastAccess, lastWrite)) return Fail(error, FALSE);
    return TRUE;
}

BOOL SimPlatform::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                              const FILETIME* lastWrite) {
    const std::string* path = disk_.OpenedAs(file);
    if (auto error = Injected(FailableCall::SetFileTime, path ? *path : std::string())) return Fail(*error, FALSE);
    if (DWORD error = disk_.SetTimes(file, creation, lastAccess, lastWrite)) return Fail(error, FALSE);
    return TRUE;
}

DWORD SimPlatform::GetCurrentDirectoryA(DWORD size, char* buffer) {
    if (auto error = Injected(FailableCall::GetCurrentDirectoryA, "")) return Fail(*error, DWORD{0});
    return CopyOut(disk_.CurrentDirectory(), buffer, size);
}

BOOL SimPlatform::SetCurrentDirectoryA(const char* pathName) {
    if (pathName == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (auto error = Injected(FailableCall::SetCurrentDirectoryA, pathName)) return Fail(*error, FALSE);
    if (TooLong(pathName)) return Fail(kErrorFilenameExcedRange, FALSE);
    if (DWORD error = disk_.SetCurrentDirectory(pathName)) return Fail(error, FALSE);
    return TRUE;
}

// The simulation carries out FO_DELETE and FO_RENAME; the program uses only
// FO_DELETE. The result is 0 or the error of the first name that failed.
int SimPlatform::SHFileOperationA(SHFILEOPSTRUCTA* operation) {
    if (operation == nullptr) return ERROR_INVALID_PARAMETER;
    operation->fAnyOperationsAborted = FALSE;
    const std::vector<std::string> from = NameList(operation->pFrom);
    if (auto error = Injected(FailableCall::SHFileOperationA, from.empty() ? std::string() : from.front()))
        return static_cast<int>(*error);
    if (operation->pFrom == nullptr) return ERROR_INVALID_PARAMETER;
    switch (operation->wFunc) {
        case FO_DELETE:
            if (from.empty()) return ERROR_ACCESS_DENIED;
            for (const auto& name : from)
                if (DWORD error = disk_.ShellDelete(name, (operation->fFlags & kFofFilesOnly) != 0))
                    return static_cast<int>(error);
            return 0;
        case FO_RENAME: {
            const std::vector<std::string> to = NameList(operation->pTo);
            if (from.size() != 1 || to.size() != 1) return ERROR_INVALID_PARAMETER;
            return static_cast<int>(disk_.MoveFile(from.front(), to.front(), 0));
        }
        case FO_MOVE:
        case FO_COPY:
            return ERROR_CALL_NOT_IMPLEMENTED;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

}  // namespace qm::sim
