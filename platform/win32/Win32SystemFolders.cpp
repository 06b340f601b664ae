// The shell's special folders and Windows File Protection: pass-through to
// Windows, looked up by name at run time (Windows 95 has neither in its
// own DLLs; shfolder.dll brings SHGetFolderPathA to the systems that lack it).
#include <windows.h>

#include "platform/win32/RunTimeLookup.h"
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

HRESULT Win32Platform::SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, char* path) {
    using Function = ::HRESULT(WINAPI*)(::HWND, int, ::HANDLE, ::DWORD, ::LPSTR);
    static const auto function = [] {
        auto found = LookupLoading<Function>("shell32.dll", "SHGetFolderPathA");
        return found != nullptr ? found : LookupLoading<Function>("shfolder.dll", "SHGetFolderPathA");
    }();
    if (function == nullptr) return E_FAIL;
    return function(reinterpret_cast<::HWND>(owner), folder, reinterpret_cast<::HANDLE>(token), flags, path);
}

BOOL Win32Platform::SfcIsFileProtected(HANDLE rpc, const WCHAR* fileName) {
    using Function = ::BOOL(WINAPI*)(::HANDLE, ::LPCWSTR);
    static const auto function = LookupLoading<Function>("sfc.dll", "SfcIsFileProtected");
    if (function == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return function(reinterpret_cast<::HANDLE>(rpc), reinterpret_cast<::LPCWSTR>(fileName));
}

}  // namespace qm::win32
