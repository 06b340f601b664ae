// htmlLite1: the description viewer.
#include "ui/DescriptionView.h"

#include <richedit.h>

#include "ui/Colors.h"
#include "ui/Dpi.h"
#include "ui/Win32Text.h"
#include "description/HtmlToPlainText.h"
#include "description/HtmlToRtf.h"

namespace qmui {

namespace {

constexpr const wchar_t* kSelfProperty = L"qmui.DescriptionView";

struct StreamSource {
    const std::string* text;
    size_t offset;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t left = source->text->size() - source->offset;
    const size_t count = left < static_cast<size_t>(wanted) ? left : static_cast<size_t>(wanted);
    source->text->copy(reinterpret_cast<char*>(buffer), count, source->offset);
    source->offset += count;
    *given = static_cast<LONG>(count);
    return 0;
}

qm::TextColor SystemColor(int index) { return qm::TextColor::FromColorRef(GetSysColor(index)); }

}  // namespace

void DescriptionView::Create(HWND parent, int id, const std::wstring& faceName, int pointSize) {
    faceName_ = Narrow(faceName);
    pointSize_ = pointSize;
    const wchar_t* className = L"RICHEDIT50W";
    library_.reset(LoadLibraryW(L"msftedit.dll"));
    if (!library_) {
        library_.reset(LoadLibraryW(L"riched20.dll"));
        className = RICHEDIT_CLASSW;
    }
    const DWORD style = WS_CHILD | WS_TABSTOP | WS_GROUP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, className, L"", style | ES_SAVESEL, 0, 0, 10, 10, parent, menu, instance,
                            nullptr);
    if (hwnd_ != nullptr) {
        // The page takes the colour of a tree view in the current theme.
        SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)));
        SendMessageW(hwnd_, EM_AUTOURLDETECT, FALSE, 0);
        SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);  // no link clicks reach anyone
    } else {
        // No RichEdit on this system: the description as plain text.
        plainText_ = true;
        hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 10, 10, parent, menu, instance, nullptr);
        if (hwnd_ == nullptr) return;
    }
    SetPropW(hwnd_, kSelfProperty, this);
    originalProc_ =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
}

void DescriptionView::Load(const std::string& html) {
    if (hwnd_ == nullptr) return;
    if (plainText_) {
        std::wstring text;
        for (wchar_t c : Widen(qm::HtmlToPlainText(html))) {
            if (c == L'\n' && (text.empty() || text.back() != L'\r')) text += L'\r';
            text += c;
        }
        SetWindowTextW(hwnd_, text.c_str());
        return;
    }
    qm::RtfStyle style;
    if (!faceName_.empty()) style.fontName = faceName_;
    style.fontSizeHalfPoints = pointSize_ * 2;
    style.textColor = SystemColor(COLOR_WINDOWTEXT);
    style.linkColor = qm::TextColor::FromColorRef(kLinkColor);
    style.backgroundColor = SystemColor(COLOR_WINDOW);
    const std::string rtf = qm::HtmlToRtf(html, style);

    StreamSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = &ReadRtf;
    SendMessageW(hwnd_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(hwnd_, EM_SETSEL, 0, 0);
    SendMessageW(hwnd_, WM_VSCROLL, SB_TOP, 0);
}

void DescriptionView::SetDpi(int dpi) {
    if (hwnd_ == nullptr || plainText_) return;
    const int system = SystemDpi();
    // 0 / 0 ends the zoom.
    SendMessageW(hwnd_, EM_SETZOOM, dpi == system ? 0 : static_cast<WPARAM>(dpi), dpi == system ? 0 : system);
}

LRESULT CALLBACK DescriptionView::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<DescriptionView*>(GetPropW(hwnd, kSelfProperty));
    const WNDPROC original = self->originalProc_;
    if (message == WM_GETDLGCODE) {
        // A viewer: Tab, Enter and Esc belong to the window's keyboard
        // interface; the arrows and page keys still scroll the text.
        const LRESULT code = CallWindowProcW(original, hwnd, message, wParam, lParam);
        return code & ~(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_HASSETSEL);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropW(hwnd, kSelfProperty);
    }
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
}

}  // namespace qmui
