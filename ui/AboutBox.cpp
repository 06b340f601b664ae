// frmAbout: the About box.
#include "ui/AboutBox.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "ui/Colors.h"
#include "ui/ControlIds.h"
#include "ui/Dpi.h"
#include "ui/GdiHandles.h"
#include "ui/MessagePump.h"
#include "ui/Pictures.h"
#include "ui/Win32Text.h"

namespace qmui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kPictureHeight = 290;

void RegisterAboutClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcW;  // replaced by the box's own procedure on creation
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = id::kAboutClass;
    RegisterClassExW(&wc);
}

// CALLBACK: the 32-bit build's callbacks are stdcall, which a lambda is not.
BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

}  // namespace

AboutBox::AboutBox(HINSTANCE instance, HWND owner) : scale_(SystemDpi()) {
    RegisterAboutClass(instance);
    hwnd_ = CreateWindowExW(kExStyle, id::kAboutClass, id::kAboutTitle, kStyle, 0, 0, 10, 10, owner, nullptr, instance,
                            nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AboutBox::Proc));
    scale_ = Scaler(WindowDpi(hwnd_));
    const RECT frame = FrameForClient({0, 0, scale_(kAboutWidth), scale_(kAboutHeight)}, kStyle, kExStyle, scale_.dpi());
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Build();
    RegisterKeyboardWindow(hwnd_, nullptr, nullptr);
}

void AboutBox::Build() {
    fonts_ = MakeUiFonts(scale_.dpi());
    Make(L"STATIC", L"", SS_OWNERDRAW, id::Image1, {0, 0, kAboutWidth, kPictureHeight}, nullptr);
    version_ = Make(L"STATIC", L"", SS_CENTER | SS_NOPREFIX, id::lab_version, {0, 306, kAboutWidth, 26},
                    fonts_.boldItalic.get());
    Make(L"STATIC", L"Web page", SS_RIGHT | SS_NOPREFIX | SS_CENTERIMAGE, id::Label13, {40, 349, 100, 24}, nullptr);
    web_ = Make(L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP, id::lab_web, {150, 349, 270, 24}, nullptr);
    Make(L"STATIC", L"Email", SS_RIGHT | SS_NOPREFIX | SS_CENTERIMAGE, id::Label12, {40, 377, 100, 24}, nullptr);
    email_ = Make(L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP, id::lab_email, {150, 377, 270, 24}, nullptr);
    ok_ = Make(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, id::aboutOk,
               {(kAboutWidth - 90) / 2, 428, 90, 28}, nullptr);
}

void AboutBox::ShowTexts() {
    SetWindowTextW(version_, Widen(about_.lab_version).c_str());
    SetWindowTextW(web_, Widen(about_.lab_web).c_str());
    SetWindowTextW(email_, Widen(about_.lab_email).c_str());
}

void AboutBox::OnDpiChanged(int dpi, const RECT& suggested) {
    // A few controls without state of their own: made anew at the new DPI.
    const bool focused = GetFocus() == ok_;
    std::vector<HWND> old;
    EnumChildWindows(hwnd_, &CollectChild, reinterpret_cast<LPARAM>(&old));
    for (HWND child : old) DestroyWindow(child);
    scale_ = Scaler(dpi);
    Build();
    ShowTexts();
    if (focused) SetFocus(ok_);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

AboutBox::~AboutBox() {
    if (hwnd_ != nullptr) {
        UnregisterKeyboardWindow(hwnd_);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

HWND AboutBox::Make(const wchar_t* className, const wchar_t* text, DWORD style, int id, const DesignRect& where,
                    HFONT font) {
    const RECT r = scale_(where);
    HWND hwnd = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : fonts_.normal.get()), FALSE);
    return hwnd;
}

void AboutBox::ShowModal(HWND owner) {
    about_.FormShow();
    ShowTexts();

    RECT frame{}, work{};
    GetWindowRect(hwnd_, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(hwnd_, nullptr, work.left + ((work.right - work.left) - width) / 2,
                 work.top + ((work.bottom - work.top) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    closed_ = false;
    if (owner != nullptr) EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(ok_);
    RunModalLoop(closed_);
    // The owner is enabled before the box hides, so the activation returns to it.
    if (owner != nullptr) EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (owner != nullptr) SetActiveWindow(owner);
}

LRESULT CALLBACK AboutBox::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT AboutBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return 0;
            switch (LOWORD(wParam)) {
                case id::lab_web: about_.lab_webClick(reinterpret_cast<std::uintptr_t>(hwnd_)); break;
                case id::lab_email: about_.lab_emailClick(reinterpret_cast<std::uintptr_t>(hwnd_)); break;
                case IDOK:
                case IDCANCEL: closed_ = true; break;
                default: break;
            }
            return 0;
        case WM_CLOSE:  // the close box hides the box; it lives until the program ends
            closed_ = true;
            return 0;
        case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == web_ || reinterpret_cast<HWND>(wParam) == email_) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        case WM_DRAWITEM: DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void AboutBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.CtlID == static_cast<UINT>(id::Image1)) {
        DrawBrandPicture(item.hDC, item.rcItem, fonts_.title.get());
        return;
    }
    // The links: underlined text in the link colour, a focus frame when focused.
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring text = WindowText(item.hwndItem);
    Selected font(item.hDC, fonts_.link.get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, kLinkColor);
    RECT box = item.rcItem;
    box.left += 2;
    RECT extent = box;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &extent,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) {
        const int height = extent.bottom - extent.top;
        RECT focus{box.left - 1, box.top + (box.bottom - box.top - height) / 2 - 1,
                   std::min(extent.right, box.right) + 1, 0};
        focus.bottom = focus.top + height + 2;
        DrawFocusRect(item.hDC, &focus);
    }
}

}  // namespace qmui
