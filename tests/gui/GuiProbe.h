// What the GUI test's driver does to a running Quellmar.exe: finds its
// windows and controls, reads and sets them through window messages, and
// asks for screenshots. Messages whose arguments point at memory (list view
// and tab control records) are given buffers inside Quellmar's process.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "ui/ControlIds.h"

namespace gui {

// Ends the test: prints the message, stops Quellmar, exits with 1.
[[noreturn]] void Fail(const std::string& message);
void Pass(const std::string& message);
void Check(bool condition, const std::string& what);
template <typename T>
void CheckEqual(const T& actual, const T& expected, const std::string& what);
void CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what);

std::string Utf8(const std::wstring& text);

// Polls `done` every 20 ms until it holds or `milliseconds` pass.
template <typename Predicate>
bool WaitUntil(Predicate done, int milliseconds) {
    for (int waited = 0; waited <= milliseconds; waited += 20) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

class Probe {
public:
    // Starts Quellmar.exe with these command-line arguments.
    Probe(const std::wstring& program, const std::vector<std::wstring>& arguments, const std::wstring& shotFolder);
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // A shown top-level window of Quellmar's.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, int milliseconds);
    // The wizard window, once it shows.
    HWND WaitForMain(int milliseconds);
    HWND main() const { return main_; }
    // Quellmar's shown top-level window of this class and title, or nullptr.
    HWND FindShown(const wchar_t* className, const wchar_t* title) const;
    // All texts of a window's children (a message box's message, say).
    std::wstring ChildTexts(HWND window) const;
    // Memory inside Quellmar for a message that fills a text: the text.
    std::wstring TextFromMessage(HWND window, UINT message, size_t chars) const;
    // A control of the main window (or of `root`) by its ID, at any depth.
    HWND Control(int id, HWND root = nullptr) const;
    HWND FindControl(int id, HWND root) const;  // nullptr when there is none
    // The page that shows, or -1 when not exactly one does.
    int Page() const;
    void WaitForPage(int page, int milliseconds);

    bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    std::wstring Text(HWND control) const;
    std::wstring Text(int id) const { return Text(Control(id)); }
    void SetText(HWND control, const std::wstring& text);
    bool Checked(int id) const;
    // Presses a button the way a click does (BM_CLICK), without waiting for
    // what the click starts.
    void Click(int id, HWND root = nullptr);
    // Presses a button of a system dialog box (the open dialog, a message
    // box) by the command its click sends; such a box need not be active.
    void Press(HWND dialog, int id);
    // Waits until Quellmar's window thread has handled what was sent before
    // (to the main window, or to `window`).
    void Settle(HWND window = nullptr);

    int RowCount(HWND list) const;
    std::wstring Cell(HWND list, int row, int column) const;
    std::vector<std::wstring> Row(HWND list, int row, int columns) const;
    // One column of every row, read through one buffer.
    std::vector<std::wstring> Column(HWND list, int column) const;
    bool RowChecked(HWND list, int row) const;
    // Clicks a row with the mouse: on its check box, or on its caption
    // (which selects it and gives the list the focus). `twice` double-clicks.
    void ClickRow(HWND list, int row, bool onCheckBox, bool twice = false);

    std::vector<std::wstring> TabCaptions() const;
    int SelectedTab() const;
    // Clicks a tab with the mouse, as a user would.
    void ClickTab(int position);

    // Keys as the user types them (SendInput): a key with modifiers held.
    // Waits until the window has handled them unless `wait` is false (for a
    // key that ends the program).
    void Type(WORD key, std::initializer_list<WORD> modifiers = {}, bool wait = true);
    // The control that has the keyboard focus in Quellmar, or nullptr.
    HWND Focus() const;

    // Tells the wizard window that it is now on a screen of `dpi`, as Windows
    // does when it moves to another screen (WM_DPICHANGED), suggesting the
    // rectangle of its design client size at that DPI. Returns that rectangle.
    RECT MoveToScreenOfDpi(int dpi);
    // A list row's rectangle (LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL).
    RECT RowRect(HWND list, int row, int part) const;

    int ProgressPosition(int id) const;
    void Suspend();
    void Resume();

    // Asks the runner for a picture of the window and waits until it is taken.
    void Screenshot(HWND window, const std::string& name);
    // Waits for the program to end; returns its exit code.
    DWORD WaitForExit(int milliseconds);

private:
    class RemoteBuffer;

    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
    std::wstring shotFolder_;
    // The pages' marker controls, found once: looking for them on every poll
    // would keep Wine's server busy while Quellmar works.
    mutable HWND markers_[std::size(qmui::id::pageMarker)] = {};
};

template <typename T>
void CheckEqual(const T& actual, const T& expected, const std::string& what) {
    if (actual == expected) {
        Pass(what);
    } else {
        Fail(what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
    }
}

}  // namespace gui
