// A stand-in for the demo pests' programs on a real (Wine) Windows: a window-
// less process that only waits, so Quellmar has something running to stop.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::Sleep(INFINITE);
    return 0;
}
