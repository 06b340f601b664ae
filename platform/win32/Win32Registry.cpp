// The registry functions: pass-through to Windows (placeholder: every call fails).
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

LONG Win32Platform::RegOpenKeyExA(HKEY, const char*, DWORD, REGSAM, HKEY*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegCreateKeyExA(HKEY, const char*, DWORD, char*, DWORD, REGSAM, const void*, HKEY*, DWORD*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegQueryValueExA(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegQueryValueExW(HKEY, const WCHAR*, DWORD*, DWORD*, BYTE*, DWORD*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegSetValueExA(HKEY, const char*, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegSetValueExW(HKEY, const WCHAR*, DWORD, DWORD, const BYTE*, DWORD) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegDeleteValueA(HKEY, const char*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegDeleteKeyA(HKEY, const char*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegEnumKeyExA(HKEY, DWORD, char*, DWORD*, DWORD*, char*, DWORD*, FILETIME*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegQueryInfoKeyA(HKEY, char*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, DWORD*, FILETIME*) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Platform::RegCloseKey(HKEY) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace qm::win32
