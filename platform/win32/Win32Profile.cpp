// The private-profile functions: pass-through to Windows.
#include <windows.h>

#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

DWORD Win32Platform::GetPrivateProfileStringA(const char* section, const char* key,
                                              const char* defaultText, char* buffer, DWORD size,
                                              const char* fileName) {
    return ::GetPrivateProfileStringA(section, key, defaultText, buffer, size, fileName);
}

BOOL Win32Platform::WritePrivateProfileStringA(const char* section, const char* key,
                                               const char* text, const char* fileName) {
    return ::WritePrivateProfileStringA(section, key, text, fileName);
}

}  // namespace qm::win32
