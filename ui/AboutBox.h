// frmAbout: the About box, a fixed-size tool window with the program's
// picture, its version and the maker's two links. Made once, then only shown
// (modally) and hidden; its texts and link clicks come from TfrmAbout.
#pragma once

#include <windows.h>

#include "shell/About.h"
#include "ui/Fonts.h"
#include "ui/Layout.h"

namespace qmui {

class AboutBox {
public:
    // Made hidden, for the DPI of the screen it is on.
    AboutBox(HINSTANCE instance, HWND owner);
    ~AboutBox();
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Shows the box centred on the screen and returns when it is closed.
    void ShowModal(HWND owner);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    HWND Make(const wchar_t* className, const wchar_t* text, DWORD style, int id, const DesignRect& where, HFONT font);
    // Makes the box's controls, and fonts, for scale_; a change of DPI
    // makes them anew.
    void Build();
    void ShowTexts();
    void OnDpiChanged(int dpi, const RECT& suggested);

    qm::TfrmAbout about_;
    Scaler scale_;
    UiFonts fonts_;
    HWND hwnd_ = nullptr;
    HWND version_ = nullptr, web_ = nullptr, email_ = nullptr, ok_ = nullptr;
    bool closed_ = true;
};

}  // namespace qmui
