// The program's message loops: the main loop, the modal loop of the About
// box, and the pump that lets the window repaint and take clicks while a
// pass runs. Each gives the keyboard interface (Tab, arrows, Enter, Esc,
// mnemonics) to the top-level window a message is meant for, when that window
// has registered for it.
#pragma once

#include <windows.h>

namespace qmui {

// A window's own handling of a key before the dialog keys: true when the
// message was used up.
using PreTranslateProc = bool (*)(void* context, MSG& message);

void RegisterKeyboardWindow(HWND window, PreTranslateProc preTranslate, void* context);
void UnregisterKeyboardWindow(HWND window);

// Handles the messages that are waiting and returns. False when the end of
// the program was requested (the quit message is posted again for the main
// loop to find).
bool PumpWaitingMessages();
// Runs until the quit message; returns its exit code.
int RunMessageLoop();
// Runs until `done` becomes true or the program's end is requested.
void RunModalLoop(const bool& done);

}  // namespace qmui
