// What the GUI test's driver does to a running Quellmar.exe.
#include "tests/gui/GuiProbe.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/ControlIds.h"

namespace gui {

namespace {

HANDLE g_program = nullptr;  // stopped when the test fails

constexpr int kMessageTimeout = 20000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageTimeout, &result))
        Fail("no answer to message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

void Fail(const std::string& message) {
    std::printf("FAIL %s\n", message.c_str());
    std::fflush(stdout);
    if (g_program != nullptr) TerminateProcess(g_program, 99);
    std::exit(1);
}

void Pass(const std::string& message) {
    std::printf("ok   %s\n", message.c_str());
    std::fflush(stdout);
}

void Check(bool condition, const std::string& what) {
    if (!condition) Fail(what);
    Pass(what);
}

void CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
    if (actual != expected) Fail(what + ": got \"" + Utf8(actual) + "\", expected \"" + Utf8(expected) + "\"");
    Pass(what);
}

// Memory inside Quellmar's process for the records that messages point at.
class Probe::RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size) : process_(process), size_(size) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (address_ == nullptr) Fail("VirtualAllocEx failed");
    }
    ~RemoteBuffer() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    void Write(size_t offset, const void* data, size_t size) const {
        if (offset + size > size_ || !WriteProcessMemory(process_, at(offset), data, size, nullptr))
            Fail("WriteProcessMemory failed");
    }
    void Read(size_t offset, void* data, size_t size) const {
        if (offset + size > size_ || !ReadProcessMemory(process_, at(offset), data, size, nullptr))
            Fail("ReadProcessMemory failed");
    }

private:
    HANDLE process_;
    size_t size_;
    void* address_ = nullptr;
};

Probe::Probe(const std::wstring& program, const std::vector<std::wstring>& arguments, const std::wstring& shotFolder)
    : shotFolder_(shotFolder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_))
        Fail("cannot start " + Utf8(program));
    g_program = process_.hProcess;
}

Probe::~Probe() {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 98);
    g_program = nullptr;
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND Probe::FindShown(const wchar_t* className, const wchar_t* title) const {
    struct Search {
        const wchar_t* className;
        const wchar_t* title;
        DWORD process;
        HWND found;
    } search{className, title, process_.dwProcessId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {}, text[128] = {};
            GetClassNameW(window, name, 64);
            GetWindowTextW(window, text, 128);
            if (owner != s->process || !IsWindowVisible(window) || std::wstring(name) != s->className ||
                std::wstring(text) != s->title)
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Probe::WaitForWindow(const wchar_t* className, const wchar_t* title, int milliseconds) {
    HWND found = nullptr;
    if (!WaitUntil([&] { return (found = FindShown(className, title)) != nullptr; }, milliseconds))
        Fail("no window \"" + Utf8(title) + "\" appeared");
    return found;
}

HWND Probe::WaitForMain(int milliseconds) {
    main_ = WaitForWindow(qmui::id::kMainClass, qmui::id::kMainTitle, milliseconds);
    for (HWND& marker : markers_) marker = nullptr;
    return main_;
}

std::wstring Probe::ChildTexts(HWND window) const {
    std::wstring texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM context) -> BOOL {
            wchar_t text[512] = {};
            GetWindowTextW(child, text, 512);  // a static's text is read without a message
            *reinterpret_cast<std::wstring*>(context) += std::wstring(text) + L"\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::wstring Probe::TextFromMessage(HWND window, UINT message, size_t chars) const {
    RemoteBuffer remote(process_.hProcess, chars * sizeof(wchar_t));
    wchar_t zero = 0;
    remote.Write(0, &zero, sizeof zero);
    Send(window, message, chars, reinterpret_cast<LPARAM>(remote.at(0)));
    std::wstring text(chars, L'\0');
    remote.Read(0, text.data(), chars * sizeof(wchar_t));
    text.resize(text.find(L'\0'));
    return text;
}

HWND Probe::Control(int id, HWND root) const {
    const HWND found = FindControl(id, root);
    if (found == nullptr) Fail("no control with ID " + std::to_string(id));
    return found;
}

HWND Probe::FindControl(int id, HWND root) const {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        root != nullptr ? root : main_,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Probe::Page() const {
    int page = -1;
    for (int i = 0; i < static_cast<int>(std::size(markers_)); ++i) {
        if (markers_[i] == nullptr || !IsWindow(markers_[i])) markers_[i] = Control(qmui::id::pageMarker[i]);
        if (!IsWindowVisible(markers_[i])) continue;
        if (page != -1) return -1;
        page = i;
    }
    return page;
}

void Probe::WaitForPage(int page, int milliseconds) {
    if (!WaitUntil([&] { return Page() == page; }, milliseconds))
        Fail("page " + std::to_string(page) + " did not show (showing: " + std::to_string(Page()) + ")");
    Settle();
}

std::wstring Probe::Text(HWND control) const {
    const auto length = Send(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

void Probe::SetText(HWND control, const std::wstring& text) {
    Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Probe::Checked(int id) const { return Send(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Probe::Click(int id, HWND root) {
    // Posted: a click that starts a pass returns only when the pass is over.
    if (!PostMessageW(Control(id, root), BM_CLICK, 0, 0)) Fail("cannot click control " + std::to_string(id));
}

void Probe::Press(HWND dialog, int id) {
    const HWND button = Control(id, dialog);
    if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        Fail("cannot press button " + std::to_string(id));
}

void Probe::Settle(HWND window) {
    const HWND target = window != nullptr ? window : main_;
    Send(target, WM_NULL, 0, 0);
    Sleep(150);  // let the window's surface reach the screen
    Send(target, WM_NULL, 0, 0);
}

int Probe::RowCount(HWND list) const { return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring Probe::Cell(HWND list, int row, int column) const {
    constexpr size_t kChars = 1024;
    RemoteBuffer remote(process_.hProcess, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = static_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
    item.cchTextMax = kChars;
    remote.Write(0, &item, sizeof item);
    const auto length = Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at(0)));
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (length > 0) remote.Read(sizeof(LVITEMW), text.data(), static_cast<size_t>(length) * sizeof(wchar_t));
    return text;
}

std::vector<std::wstring> Probe::Column(HWND list, int column) const {
    constexpr size_t kChars = 1024;
    RemoteBuffer remote(process_.hProcess, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    std::vector<std::wstring> cells;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = static_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
        item.cchTextMax = kChars;
        remote.Write(0, &item, sizeof item);
        const auto length =
            Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at(0)));
        std::wstring text(static_cast<size_t>(length), L'\0');
        if (length > 0) remote.Read(sizeof(LVITEMW), text.data(), static_cast<size_t>(length) * sizeof(wchar_t));
        cells.push_back(text);
    }
    return cells;
}

std::vector<std::wstring> Probe::Row(HWND list, int row, int columns) const {
    std::vector<std::wstring> cells;
    for (int column = 0; column < columns; ++column) cells.push_back(Cell(list, row, column));
    return cells;
}

bool Probe::RowChecked(HWND list, int row) const {
    const auto state = Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return static_cast<UINT>(state) == INDEXTOSTATEIMAGEMASK(2);
}

RECT Probe::RowRect(HWND list, int row, int part) const {
    RemoteBuffer remote(process_.hProcess, sizeof(RECT));
    RECT rect{part, 0, 0, 0};
    remote.Write(0, &rect, sizeof rect);
    if (!Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at(0))))
        Fail("row " + std::to_string(row) + " is not in the list");
    remote.Read(0, &rect, sizeof rect);
    return rect;
}

void Probe::ClickRow(HWND list, int row, bool onCheckBox, bool twice) {
    const RECT part = RowRect(list, row, onCheckBox ? LVIR_ICON : LVIR_LABEL);
    // The check box stands before the picture, as wide as it; the caption
    // is clicked a little into its text.
    const int x = onCheckBox ? part.left - (part.right - part.left) / 2 : part.left + 8;
    const LPARAM where = MAKELPARAM(x, (part.top + part.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(list, WM_LBUTTONUP, 0, where);
    if (twice) {
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        PostMessageW(list, WM_LBUTTONUP, 0, where);
    }
    Settle();
}

RECT Probe::MoveToScreenOfDpi(int dpi) {
    RECT frame{0, 0, MulDiv(692, dpi, 96), MulDiv(473, dpi, 96)};
    const auto style = static_cast<DWORD>(GetWindowLongW(main_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(main_, GWL_EXSTYLE));
    // The frame as Windows measures it at that DPI, where it can.
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjust = reinterpret_cast<AdjustForDpi>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjust == nullptr || !adjust(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    // Around the window's centre, as Windows keeps it where the user put it.
    RECT now{};
    GetWindowRect(main_, &now);
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    const LONG left = (now.left + now.right - width) / 2, top = std::max(0L, (now.top + now.bottom - height) / 2);
    const RECT suggested{left, top, left + width, top + height};
    RemoteBuffer remote(process_.hProcess, sizeof(RECT));
    remote.Write(0, &suggested, sizeof suggested);
    Send(main_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote.at(0)));
    Settle();
    return suggested;
}

std::vector<std::wstring> Probe::TabCaptions() const {
    const HWND tab = Control(qmui::id::PgAllOperation);
    const int count = static_cast<int>(Send(tab, TCM_GETITEMCOUNT, 0, 0));
    std::vector<std::wstring> captions;
    constexpr size_t kChars = 256;
    RemoteBuffer remote(process_.hProcess, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
    for (int i = 0; i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = static_cast<wchar_t*>(remote.at(sizeof(TCITEMW)));
        item.cchTextMax = kChars;
        remote.Write(0, &item, sizeof item);
        wchar_t zero = 0;
        remote.Write(sizeof(TCITEMW), &zero, sizeof zero);
        Send(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.at(0)));
        std::wstring caption(kChars, L'\0');
        remote.Read(sizeof(TCITEMW), caption.data(), kChars * sizeof(wchar_t));
        caption.resize(caption.find(L'\0'));
        captions.push_back(caption);
    }
    return captions;
}

int Probe::SelectedTab() const {
    return static_cast<int>(Send(Control(qmui::id::PgAllOperation), TCM_GETCURSEL, 0, 0));
}

void Probe::ClickTab(int position) {
    const HWND tab = Control(qmui::id::PgAllOperation);
    RemoteBuffer remote(process_.hProcess, sizeof(RECT));
    if (!Send(tab, TCM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(remote.at(0))))
        Fail("no tab at position " + std::to_string(position));
    RECT r{};
    remote.Read(0, &r, sizeof r);
    const LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(tab, WM_LBUTTONUP, 0, point);
    Settle();
}

void Probe::Type(WORD key, std::initializer_list<WORD> modifiers, bool wait) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers) add(modifier, false);
    add(key, false);
    add(key, true);
    for (auto it = modifiers.end(); it != modifiers.begin();) add(*--it, true);
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) Fail("cannot type");
    if (!wait) return;
    Sleep(100);
    Settle();
}

HWND Probe::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(process_.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

int Probe::ProgressPosition(int id) const { return static_cast<int>(Send(Control(id), PBM_GETPOS, 0, 0)); }

void Probe::Suspend() {
    if (SuspendThread(process_.hThread) == static_cast<DWORD>(-1)) Fail("cannot suspend Quellmar");
}

void Probe::Resume() { ResumeThread(process_.hThread); }

void Probe::Screenshot(HWND window, const std::string& name) {
    RECT r{};
    GetWindowRect(window, &r);
    const std::wstring request = shotFolder_ + L"\\" + std::wstring(name.begin(), name.end()) + L".req";
    const std::wstring partial = request + L".part";
    const std::string where = std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' +
                              std::to_string(r.right - r.left) + ' ' + std::to_string(r.bottom - r.top) + '\n';
    // Written whole, then renamed, so the runner never reads half a request.
    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, where.data(), static_cast<DWORD>(where.size()), &written, nullptr))
        Fail("cannot write " + Utf8(partial));
    CloseHandle(file);
    if (!MoveFileExW(partial.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING))
        Fail("cannot write " + Utf8(request));
    // The runner takes the picture and removes the request.
    if (!WaitUntil([&] { return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000))
        Fail("screenshot " + name + " was not taken");
    Pass("screenshot " + name);
}

DWORD Probe::WaitForExit(int milliseconds) {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(milliseconds)) != WAIT_OBJECT_0)
        Fail("Quellmar did not end");
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace gui
