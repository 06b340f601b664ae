// The program's message loops.
#include "ui/MessagePump.h"

#include <algorithm>
#include <vector>

namespace qmui {

namespace {

struct KeyboardWindow {
    HWND window;
    PreTranslateProc preTranslate;
    void* context;
};

std::vector<KeyboardWindow>& KeyboardWindows() {
    static std::vector<KeyboardWindow> windows;
    return windows;
}

void Dispatch(MSG& message) {
    const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr) {
        for (const KeyboardWindow& entry : KeyboardWindows()) {
            if (entry.window != root) continue;
            if (entry.preTranslate != nullptr && entry.preTranslate(entry.context, message)) return;
            if (IsDialogMessageW(root, &message)) return;
            break;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace

void RegisterKeyboardWindow(HWND window, PreTranslateProc preTranslate, void* context) {
    UnregisterKeyboardWindow(window);
    KeyboardWindows().push_back({window, preTranslate, context});
}

void UnregisterKeyboardWindow(HWND window) {
    auto& windows = KeyboardWindows();
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [window](const KeyboardWindow& entry) { return entry.window == window; }),
                  windows.end());
}

bool PumpWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        Dispatch(message);
    }
    return true;
}

int RunMessageLoop() {
    MSG message;
    BOOL result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (result == -1) return 1;
        Dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

void RunModalLoop(const bool& done) {
    MSG message;
    while (!done) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == -1) return;
        if (result == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

}  // namespace qmui
