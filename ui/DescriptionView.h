// htmlLite1: the script's HTML description, converted to RTF and shown in a
// read-only RichEdit control on the page's background colour. Links are
// shown, never followed, and nothing in the description is fetched or run.
// Without a RichEdit library the description shows as plain text.
#pragma once

#include <windows.h>

#include <string>

#include "ui/GdiHandles.h"

namespace qmui {

class DescriptionView {
public:
    // Loads the RichEdit library (msftedit.dll, else riched20.dll) and makes
    // the control. `faceName` and `pointSize` are the body text's font.
    void Create(HWND parent, int id, const std::wstring& faceName, int pointSize);
    HWND hwnd() const { return hwnd_; }
    void Load(const std::string& html);
    // The text's size for a screen of `dpi`: RichEdit turns points into
    // pixels at the system's DPI, so a window on another screen zooms.
    void SetDpi(int dpi);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Module library_;
    HWND hwnd_ = nullptr;
    WNDPROC originalProc_ = nullptr;
    bool plainText_ = false;  // a plain edit control stands in for a missing RichEdit
    std::string faceName_;
    int pointSize_ = 8;
};

}  // namespace qmui
