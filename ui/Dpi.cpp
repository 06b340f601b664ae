// The screen's DPI, with the functions of newer Windows looked up at run time.
#include "ui/Dpi.h"

#include "ui/GdiHandles.h"

namespace qmui {

namespace {

// A function of user32 or shcore, or nullptr where this Windows lacks it.
template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

// Values of Windows' headers, spelt out for headers that lack them.
const auto kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kProcessPerMonitorDpiAware = 2;

}  // namespace

void BecomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);  // Windows 10 1703
    if (const auto set = Lookup<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (set(kPerMonitorAwareV2) || GetLastError() == ERROR_ACCESS_DENIED) return;  // denied: the manifest did it
    }
    // Windows 8.1: shcore.dll, not loaded by anything else here.
    const Module shcore(LoadLibraryW(L"shcore.dll"));
    if (shcore) {
        using SetAwareness = HRESULT(WINAPI*)(int);
        const auto set = reinterpret_cast<SetAwareness>(
            reinterpret_cast<void (*)()>(GetProcAddress(shcore.get(), "SetProcessDpiAwareness")));
        if (set != nullptr) {
            const HRESULT result = set(kProcessPerMonitorDpiAware);
            if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
        }
    }
    using SetAware = BOOL(WINAPI*)();  // Windows Vista
    if (const auto set = Lookup<SetAware>(L"user32.dll", "SetProcessDPIAware")) set();
}

int SystemDpi() {
    using GetForSystem = UINT(WINAPI*)();  // Windows 10 1607
    if (const auto get = Lookup<GetForSystem>(L"user32.dll", "GetDpiForSystem")) return static_cast<int>(get());
    const ScreenDC screen;
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
    using GetForWindow = UINT(WINAPI*)(HWND);  // Windows 10 1607
    if (const auto get = Lookup<GetForWindow>(L"user32.dll", "GetDpiForWindow")) {
        const UINT dpi = get(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

RECT FrameForClient(RECT client, DWORD style, DWORD exStyle, int dpi) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);  // Windows 10 1607
    if (const auto adjust = Lookup<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi")) {
        if (adjust(&client, style, FALSE, exStyle, static_cast<UINT>(dpi))) return client;
    }
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

}  // namespace qmui
