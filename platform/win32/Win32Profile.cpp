// The private-profile functions: pass-through to Windows (placeholder: every call fails).
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

DWORD Win32Platform::GetPrivateProfileStringA(const char*, const char*, const char*, char*, DWORD, const char*) {
    return 0;
}

BOOL Win32Platform::WritePrivateProfileStringA(const char*, const char*, const char*, const char*) {
    return FALSE;
}

}  // namespace qm::win32
