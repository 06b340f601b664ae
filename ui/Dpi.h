// The screen's DPI, per monitor where Windows has it. Every function of
// Windows 8.1 and 10 used here is looked up at run time, so the program
// still starts on Windows XP to 8, which have one DPI for every screen.
#pragma once

#include <windows.h>

namespace qmui {

// Declares the process per-monitor DPI aware (v2, else v1), else system DPI
// aware: the layout scales itself, Windows must not stretch it as a bitmap.
// The manifest says so too; this covers a build without it.
void BecomeDpiAware();
// The DPI that Windows gives the process's texts and metrics (the primary
// screen's at sign-in).
int SystemDpi();
// The DPI of the screen a window is on.
int WindowDpi(HWND window);
// The window rectangle around `client` for a window of this style at `dpi`.
RECT FrameForClient(RECT client, DWORD style, DWORD exStyle, int dpi);

}  // namespace qmui
