// Files, folders, short names, the current directory and shell folder deletion: pass-through to Windows (placeholder: every call fails).
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

HANDLE Win32Platform::CreateFileA(const char*, DWORD, DWORD, const void*, DWORD, DWORD, HANDLE) {
    return kInvalidHandle;
}

BOOL Win32Platform::ReadFile(HANDLE, void*, DWORD, DWORD*, void*) {
    return FALSE;
}

BOOL Win32Platform::WriteFile(HANDLE, const void*, DWORD, DWORD*, void*) {
    return FALSE;
}

DWORD Win32Platform::SetFilePointer(HANDLE, LONG, LONG*, DWORD) {
    return 0;
}

DWORD Win32Platform::GetFileSize(HANDLE, DWORD*) {
    return 0;
}

HANDLE Win32Platform::FindFirstFileA(const char*, WIN32_FIND_DATAA*) {
    return kInvalidHandle;
}

BOOL Win32Platform::FindNextFileA(HANDLE, WIN32_FIND_DATAA*) {
    return FALSE;
}

BOOL Win32Platform::FindClose(HANDLE) {
    return FALSE;
}

DWORD Win32Platform::GetFileAttributesA(const char*) {
    return 0;
}

BOOL Win32Platform::SetFileAttributesA(const char*, DWORD) {
    return FALSE;
}

BOOL Win32Platform::CreateDirectoryA(const char*, const void*) {
    return FALSE;
}

BOOL Win32Platform::RemoveDirectoryA(const char*) {
    return FALSE;
}

BOOL Win32Platform::DeleteFileA(const char*) {
    return FALSE;
}

BOOL Win32Platform::MoveFileA(const char*, const char*) {
    return FALSE;
}

BOOL Win32Platform::MoveFileExA(const char*, const char*, DWORD) {
    return FALSE;
}

DWORD Win32Platform::GetShortPathNameA(const char*, char*, DWORD) {
    return 0;
}

DWORD Win32Platform::GetCurrentDirectoryA(DWORD, char*) {
    return 0;
}

BOOL Win32Platform::SetCurrentDirectoryA(const char*) {
    return FALSE;
}

int Win32Platform::SHFileOperationA(SHFILEOPSTRUCTA*) {
    return 0;
}

}  // namespace qm::win32
