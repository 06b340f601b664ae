// Files, folders, short names, the current directory and the shell's folder
// deletion: straight through to Windows. qm's numbers and records are copied
// to and from the real types (DWORD and LONG differ in type, not in size).
#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

namespace {

::HANDLE Real(qm::HANDLE handle) { return reinterpret_cast<::HANDLE>(handle); }
qm::HANDLE Ours(::HANDLE handle) { return reinterpret_cast<qm::HANDLE>(handle); }

void CopyFindData(const ::WIN32_FIND_DATAA& from, qm::WIN32_FIND_DATAA& to) {
    to.dwFileAttributes = from.dwFileAttributes;
    to.ftCreationTime = {from.ftCreationTime.dwLowDateTime, from.ftCreationTime.dwHighDateTime};
    to.ftLastAccessTime = {from.ftLastAccessTime.dwLowDateTime, from.ftLastAccessTime.dwHighDateTime};
    to.ftLastWriteTime = {from.ftLastWriteTime.dwLowDateTime, from.ftLastWriteTime.dwHighDateTime};
    to.nFileSizeHigh = from.nFileSizeHigh;
    to.nFileSizeLow = from.nFileSizeLow;
    static_assert(sizeof to.cFileName == sizeof from.cFileName);
    static_assert(sizeof to.cAlternateFileName == sizeof from.cAlternateFileName);
    CopyMemory(to.cFileName, from.cFileName, sizeof to.cFileName);
    CopyMemory(to.cAlternateFileName, from.cAlternateFileName, sizeof to.cAlternateFileName);
}

}  // namespace

HANDLE Win32Platform::CreateFileA(const char* fileName, DWORD access, DWORD shareMode,
                                  const void* securityAttributes, DWORD creation, DWORD flags,
                                  HANDLE templateFile) {
    return Ours(::CreateFileA(fileName, access, shareMode,
                              static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(securityAttributes)),
                              creation, flags, Real(templateFile)));
}

BOOL Win32Platform::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
    ::DWORD got = 0;
    const BOOL ok = ::ReadFile(Real(file), buffer, toRead, &got, static_cast<LPOVERLAPPED>(overlapped));
    if (read != nullptr) *read = got;
    return ok;
}

BOOL Win32Platform::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                              void* overlapped) {
    ::DWORD put = 0;
    const BOOL ok = ::WriteFile(Real(file), buffer, toWrite, &put, static_cast<LPOVERLAPPED>(overlapped));
    if (written != nullptr) *written = put;
    return ok;
}

DWORD Win32Platform::SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
    ::LONG high = distanceHigh != nullptr ? *distanceHigh : 0;
    const ::DWORD low = ::SetFilePointer(Real(file), distance, distanceHigh != nullptr ? &high : nullptr, method);
    if (distanceHigh != nullptr) *distanceHigh = high;
    return low;
}

DWORD Win32Platform::GetFileSize(HANDLE file, DWORD* sizeHigh) {
    ::DWORD high = 0;
    const ::DWORD low = ::GetFileSize(Real(file), &high);
    if (sizeHigh != nullptr) *sizeHigh = high;
    return low;
}

HANDLE Win32Platform::FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* data) {
    ::WIN32_FIND_DATAA found{};
    const ::HANDLE find = ::FindFirstFileA(fileName, &found);
    if (Ours(find) != kInvalidHandle && data != nullptr) CopyFindData(found, *data);
    return Ours(find);
}

BOOL Win32Platform::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
    ::WIN32_FIND_DATAA found{};
    const BOOL ok = ::FindNextFileA(Real(find), &found);
    if (ok && data != nullptr) CopyFindData(found, *data);
    return ok;
}

BOOL Win32Platform::FindClose(HANDLE find) { return ::FindClose(Real(find)); }

DWORD Win32Platform::GetFileAttributesA(const char* fileName) { return ::GetFileAttributesA(fileName); }

BOOL Win32Platform::SetFileAttributesA(const char* fileName, DWORD attributes) {
    return ::SetFileAttributesA(fileName, attributes);
}

BOOL Win32Platform::CreateDirectoryA(const char* pathName, const void* securityAttributes) {
    return ::CreateDirectoryA(pathName, static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(securityAttributes)));
}

BOOL Win32Platform::RemoveDirectoryA(const char* pathName) { return ::RemoveDirectoryA(pathName); }

BOOL Win32Platform::DeleteFileA(const char* fileName) { return ::DeleteFileA(fileName); }

BOOL Win32Platform::MoveFileA(const char* existing, const char* newName) { return ::MoveFileA(existing, newName); }

BOOL Win32Platform::MoveFileExA(const char* existing, const char* newName, DWORD flags) {
    return ::MoveFileExA(existing, newName, flags);
}

DWORD Win32Platform::GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) {
    return ::GetShortPathNameA(longPath, shortPath, size);
}

DWORD Win32Platform::GetFullPathNameA(const char* fileName, DWORD bufferLength, char* buffer, char** filePart) {
    return ::GetFullPathNameA(fileName, bufferLength, buffer, filePart);
}

DWORD Win32Platform::GetLongPathNameA(const char* shortPath, char* longPath, DWORD size) {
    return ::GetLongPathNameA(shortPath, longPath, size);
}

BOOL Win32Platform::CopyFileA(const char* existing, const char* newName, BOOL failIfExists) {
    return ::CopyFileA(existing, newName, failIfExists);
}

BOOL Win32Platform::GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    ::FILETIME times[3] = {};
    if (!::GetFileTime(reinterpret_cast<::HANDLE>(file), &times[0], &times[1], &times[2])) return FALSE;
    for (auto [ours, real] : {std::pair{creation, &times[0]}, std::pair{lastAccess, &times[1]},
                              std::pair{lastWrite, &times[2]}})
        if (ours != nullptr) *ours = {real->dwLowDateTime, real->dwHighDateTime};
    return TRUE;
}

BOOL Win32Platform::SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                                const FILETIME* lastWrite) {
    ::FILETIME times[3] = {};
    const FILETIME* ours[3] = {creation, lastAccess, lastWrite};
    for (int i = 0; i < 3; ++i)
        if (ours[i] != nullptr) times[i] = {ours[i]->dwLowDateTime, ours[i]->dwHighDateTime};
    return ::SetFileTime(reinterpret_cast<::HANDLE>(file), creation ? &times[0] : nullptr,
                         lastAccess ? &times[1] : nullptr, lastWrite ? &times[2] : nullptr);
}

DWORD Win32Platform::GetCurrentDirectoryA(DWORD size, char* buffer) { return ::GetCurrentDirectoryA(size, buffer); }

BOOL Win32Platform::SetCurrentDirectoryA(const char* pathName) { return ::SetCurrentDirectoryA(pathName); }

int Win32Platform::SHFileOperationA(SHFILEOPSTRUCTA* operation) {
    if (operation == nullptr) return ERROR_INVALID_PARAMETER;
    ::SHFILEOPSTRUCTA real{};
    real.hwnd = reinterpret_cast<::HWND>(operation->hwnd);
    real.wFunc = operation->wFunc;
    real.pFrom = operation->pFrom;
    real.pTo = operation->pTo;
    real.fFlags = operation->fFlags;
    real.fAnyOperationsAborted = operation->fAnyOperationsAborted;
    real.hNameMappings = operation->hNameMappings;
    real.lpszProgressTitle = operation->lpszProgressTitle;
    const int result = ::SHFileOperationA(&real);
    operation->fAnyOperationsAborted = real.fAnyOperationsAborted;
    operation->hNameMappings = real.hNameMappings;
    return result;
}

}  // namespace qm::win32
