// The wizard window: creation, messages, layout and focus.
#include "ui/MainWindow.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

#include "ui/ControlIds.h"
#include "ui/Dpi.h"
#include "ui/MessagePump.h"
#include "ui/Pictures.h"
#include "ui/Win32Text.h"

namespace qmui {

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
// Posted: the focus goes forward once the message that changed the page is done.
constexpr UINT kFocusForward = WM_APP + 1;
// Posted by a button's focus change: the default-button look follows.
constexpr UINT kFocusMoved = WM_APP + 2;
constexpr int kPushButtons[] = {id::bBack,  id::bNext,     id::btnExit,    id::TeButton2,
                                id::bRetry, id::bCheckall, id::bUncheckall,
                                id::bUndo,  id::bRestoreBackup, id::bDeleteBackup,
                                id::bSaveReport};

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &DefWindowProcW;  // replaced by the window's own procedure on creation
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = id::kMainClass;
    RegisterClassExW(&wc);
}

SIZE FrameSize(const Scaler& scale) {
    const RECT frame =
        FrameForClient({0, 0, scale(kClientWidth), scale(kClientHeight)}, kWindowStyle, kWindowExStyle, scale.dpi());
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The window's outer rectangle for the design client size, centred in the
// work area of the primary screen.
RECT CentredWindow(const Scaler& scale) {
    const SIZE frame = FrameSize(scale);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.cx, height = frame.cy;
    // A screen smaller than the window shows its top left corner.
    const int left = std::max<int>(work.left, work.left + ((work.right - work.left) - width) / 2);
    const int top = std::max<int>(work.top, work.top + ((work.bottom - work.top) - height) / 2);
    return {left, top, left + width, top + height};
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), scale_(SystemDpi()) {
    RegisterWindowClass(instance);
    RECT frame = CentredWindow(scale_);
    hwnd_ = CreateWindowExW(kWindowExStyle, id::kMainClass, id::kMainTitle, kWindowStyle, frame.left, frame.top,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (hwnd_ == nullptr) throw std::runtime_error("The window cannot be created.");
    // The primary screen's DPI may have changed since sign-in: the controls
    // are made for the screen the window is on.
    if (const int dpi = WindowDpi(hwnd_); dpi != scale_.dpi()) {
        scale_ = Scaler(dpi);
        frame = CentredWindow(scale_);
        SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    minimumSize_ = FrameSize(scale_);
    fonts_ = MakeUiFonts(scale_.dpi());
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::Proc));
    if (GetClassLongPtrW(hwnd_, GCLP_HICON) == 0) {  // no icon resource: draw one
        bigIcon_ = MakeIcon(Glyph::Shield, GetSystemMetrics(SM_CXICON));
        smallIcon_ = MakeIcon(Glyph::Shield, GetSystemMetrics(SM_CXSMICON));
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    }

    itemImages_ = MakeItemImages(scale_(kSmallIcon));
    BuildWizardPages(hwnd_, {fonts_, scale_, itemImages_.get()}, controls_);
    ShowPage(qm::kPagePreclama);
    Relayout();
    RegisterKeyboardWindow(hwnd_, &MainWindow::PreTranslate, this);
}

MainWindow::~MainWindow() {
    wizard_ = nullptr;
    about_.reset();
    if (hwnd_ != nullptr) {
        UnregisterKeyboardWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
}

void MainWindow::CreateAboutBox() { about_ = std::make_unique<AboutBox>(instance_, hwnd_); }

void MainWindow::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    FixFocus();
}

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

bool MainWindow::PreTranslate(void* context, MSG& message) {
    auto* self = static_cast<MainWindow*>(context);
    if (message.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
    if (!IsWindowVisible(self->controls_.tabs.hwnd())) return false;
    bool backwards = false;
    switch (message.wParam) {
        case VK_TAB: backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0; break;
        case VK_NEXT: break;
        case VK_PRIOR: backwards = true; break;
        default: return false;
    }
    // Ctrl+Tab and Ctrl+Page Down/Up turn the pages of PgAllOperation, whose
    // tab row never takes the focus itself.
    if (self->controls_.tabs.SelectNext(backwards) && self->wizard_ != nullptr)
        self->Run(&qm::TFQuarnUninstall::PgAllOperationChange);
    return true;
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = hwnd_;
    switch (message) {
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_DRAWITEM: OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) Relayout();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {minimumSize_.cx, minimumSize_.cy};
            return 0;
        }
        case DM_GETDEFID: return MAKELRESULT(DefaultButton(), DC_HASDEFID);
        case WM_NEXTDLGCTL: OnNextDialogControl(wParam, lParam); return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                savedFocus_ = GetFocus();
            } else if (savedFocus_ != nullptr && IsChild(hwnd_, savedFocus_) && IsWindowVisible(savedFocus_) &&
                       IsWindowEnabled(savedFocus_)) {
                SetFocus(savedFocus_);
            } else {
                FixFocus();
            }
            return 0;
        case WM_CLOSE: RequestClose(); return 0;
        case kFocusForward: FocusForward(); return 0;
        case kFocusMoved: UpdateDefaultLook(); return 0;
        case WM_DESTROY:
            UnregisterKeyboardWindow(hwnd_);
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: hwnd_ = nullptr; break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
    if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
        PostMessageW(hwnd_, kFocusMoved, 0, 0);
        return;
    }
    if (code != BN_CLICKED) return;
    if (id == IDCANCEL || id == id::btnExit) {  // Esc, the Exit button
        RequestClose();
        return;
    }
    const HWND control = GetDlgItem(hwnd_, id);
    if (control == nullptr || !IsWindowEnabled(control) || !IsWindowVisible(control)) return;
    switch (id) {
        case id::bNext: Run(&qm::TFQuarnUninstall::bNextClick); break;
        case id::bBack: Run(&qm::TFQuarnUninstall::bBackClick); break;
        case id::bRetry: Run(&qm::TFQuarnUninstall::bRetryClick); break;
        case id::bCheckall: Run(&qm::TFQuarnUninstall::bCheckallClick); break;
        case id::bUncheckall: Run(&qm::TFQuarnUninstall::bUncheckallClick); break;
        case id::TeButton2: Run(&qm::TFQuarnUninstall::TeButton1Click); break;
        case id::bUndo: Run(&qm::TFQuarnUninstall::bUndoClick); break;
        case id::bRestoreBackup: Run(&qm::TFQuarnUninstall::bRestoreBackupClick); break;
        case id::bDeleteBackup: Run(&qm::TFQuarnUninstall::bDeleteBackupClick); break;
        case id::bSaveReport: Run(&qm::TFQuarnUninstall::bSaveReportClick); break;
        default: break;
    }
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == controls_.tabs.hwnd() && header.code == TCN_SELCHANGE) {
        controls_.tabs.OnSelectionChanged();
        Run(&qm::TFQuarnUninstall::PgAllOperationChange);
        return 0;
    }
    LRESULT result = 0;
    if (controls_.tabs.OnNotify(header, result) || controls_.report.OnNotify(header, result)) return result;
    if (controls_.backups.OnNotify(header, result)) return result;
    return 0;
}

void MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_STATIC) return;
    switch (item.CtlID) {
        case id::welcomePicture:
        case id::nothingPicture: DrawBrandPicture(item.hDC, item.rcItem, fonts_.title.get()); return;
        case id::barSeparator: {
            // An etched line: shadow above light, each half the control's height.
            RECT band = item.rcItem;
            const int half = std::max<int>(1, (band.bottom - band.top) / 2);
            band.bottom = band.top + half;
            FillRect(item.hDC, &band, GetSysColorBrush(COLOR_BTNSHADOW));
            band.top = band.bottom;
            band.bottom = item.rcItem.bottom;
            FillRect(item.hDC, &band, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
            return;
        }
        case id::advLStatusDetect:
        case id::advLStatusUninstal: {
            // A long path keeps its start and its file name: "C:\WINDOWS\...\pest.dll".
            FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
            const std::wstring text = WindowText(item.hwndItem);
            Selected font(item.hDC, fonts_.normal.get());
            SetBkMode(item.hDC, TRANSPARENT);
            SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
            RECT box = item.rcItem;
            DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &box,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
            return;
        }
        default: return;
    }
}

int MainWindow::DefaultButton() const {
    // Enter presses the push button that has the focus, as in a dialog box,
    // and Next otherwise.
    const HWND focus = GetFocus();
    if (focus != nullptr && GetParent(focus) == hwnd_ && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)) {
        const LONG type = GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return GetDlgCtrlID(focus);
    }
    return id::bNext;
}

void MainWindow::OnNextDialogControl(WPARAM wParam, LPARAM lParam) {
    // Controls ask for this as they would in a dialog box.
    HWND target = nullptr;
    if (LOWORD(lParam)) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        target = GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
    }
    if (target != nullptr) SetFocus(target);
}

void MainWindow::Run(void (qm::TFQuarnUninstall::*handler)()) {
    if (wizard_ == nullptr) return;
    ++busy_;
    try {
        (wizard_->*handler)();
    } catch (const std::exception& error) {
        MessageBoxW(hwnd_, Widen(error.what()).c_str(), id::kMainTitle, MB_OK | MB_ICONERROR);
    } catch (...) {
        MessageBoxW(hwnd_, L"Unexpected error", id::kMainTitle, MB_OK | MB_ICONERROR);
    }
    --busy_;
    if (busy_ == 0 && pageChanged_) {
        pageChanged_ = false;
        PostMessageW(hwnd_, kFocusForward, 0, 0);
    }
    if (busy_ == 0 && closePending_) {
        closePending_ = false;
        RequestClose();
    }
}

void MainWindow::RequestClose() {
    if (hwnd_ == nullptr) return;
    // During a pass: the question whether to stop it; the window stays.
    if (wizard_ != nullptr && !wizard_->CloseQuery()) return;
    if (busy_ > 0) {  // a handler is running: close when it is over
        closePending_ = true;
        return;
    }
    if (wizard_ != nullptr) {
        ++busy_;
        try {
            wizard_->FormClose();
        } catch (...) {
            // The module file is removed as far as possible; closing goes on.
        }
        --busy_;
    }
    DestroyWindow(hwnd_);
}

void MainWindow::Relayout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int dx = client.right - scale_(kClientWidth), dy = client.bottom - scale_(kClientHeight);
    // The button bar always follows the window; the pages once anchored.
    HDWP positions = BeginDeferWindowPos(static_cast<int>(controls_.placed.size()));
    for (const PlacedControl& control : controls_.placed) {
        const bool follows = control.page == kBarPage || anchored_;
        const RECT r = Anchored(control.base, control.anchors, follows ? dx : 0, follows ? dy : 0);
        if (positions != nullptr)
            positions = DeferWindowPos(positions, control.hwnd, nullptr, r.left, r.top, r.right - r.left,
                                       r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions != nullptr) EndDeferWindowPos(positions);
    controls_.report.Refit();
    controls_.backups.Refit();
}

void MainWindow::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    UiFonts fonts = MakeUiFonts(dpi);
    ImageList images = MakeItemImages(MulDiv(kSmallIcon, dpi, 96));
    // The controls take the new fonts and pictures before the old ones go.
    ReplaceFonts(hwnd_, fonts_, fonts);
    scale_ = Scaler(dpi);
    RescaleWizardPages(hwnd_, {fonts, scale_, images.get()}, controls_);
    fonts_ = std::move(fonts);
    itemImages_ = std::move(images);
    minimumSize_ = FrameSize(scale_);
    const RECT frame = suggested != nullptr ? *suggested : CentredWindow(scale_);
    SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();  // also when the size in pixels stayed
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::FocusForward() {
    if (hwnd_ == nullptr || GetActiveWindow() != hwnd_) return;
    // The undo page has no Next to go on with: the choice of a backup comes first.
    if (page_ == qm::kPageUndo && IsWindowVisible(controls_.backups.hwnd())) {
        parkedFocus_ = nullptr;
        SetFocus(controls_.backups.hwnd());
        UpdateDefaultLook();
        return;
    }
    for (int id : {id::bNext, id::bBack}) {
        const HWND button = GetDlgItem(hwnd_, id);
        if (!IsWindowVisible(button) || !IsWindowEnabled(button)) continue;
        parkedFocus_ = nullptr;
        SetFocus(button);
        break;
    }
    UpdateDefaultLook();
}

void MainWindow::UpdateDefaultLook() {
    if (hwnd_ == nullptr) return;
    const HWND chosen = GetDlgItem(hwnd_, DefaultButton());
    for (int id : kPushButtons) {
        const HWND button = GetDlgItem(hwnd_, id);
        if (button == nullptr) continue;
        const LONG style = GetWindowLongW(button, GWL_STYLE);
        const LONG type = button == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((style & BS_TYPEMASK) != type)
            SendMessageW(button, BM_SETSTYLE, static_cast<WPARAM>((style & 0xFFFF & ~BS_TYPEMASK) | type), TRUE);
    }
}

void MainWindow::FixFocus() {
    if (hwnd_ == nullptr || GetActiveWindow() != hwnd_) return;
    auto usable = [this](HWND control) {
        return control != nullptr && IsChild(hwnd_, control) && IsWindowVisible(control) && IsWindowEnabled(control);
    };
    const HWND focus = GetFocus();
    // A focus parked on another control while Next and Back were disabled
    // goes back to them as soon as it can, so Enter never presses Exit unasked.
    if (usable(focus) && focus != parkedFocus_) return;
    for (int id : {id::bNext, id::bBack}) {
        if (!usable(GetDlgItem(hwnd_, id))) continue;
        parkedFocus_ = nullptr;
        SetFocus(GetDlgItem(hwnd_, id));
        return;
    }
    if (usable(focus)) return;  // stays parked
    parkedFocus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (parkedFocus_ != nullptr) SetFocus(parkedFocus_);
}

}  // namespace qmui
