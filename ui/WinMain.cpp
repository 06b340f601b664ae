// Quellmar.exe: the program entry on Windows.
#include "platform/win32/Win32Platform.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    qm::win32::Win32Platform platform;
    qm::SetCurrentPlatform(&platform);
    ::MessageBoxA(nullptr, "Quellmar", "Quellmar", MB_OK);
    return 0;
}
