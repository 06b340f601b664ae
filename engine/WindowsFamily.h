// Whether the system is of the Windows NT family (GetVersionExA reports
// VER_PLATFORM_WIN32_NT) or of the 9x family.
#pragma once

#include "platform/Platform.h"

namespace qm {

inline bool IsWindowsNT() {
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = kOsVersionInfoASize;
    return CurrentPlatform().GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace qm
