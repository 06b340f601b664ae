// The fonts of the windows, all made from the system's message font so they
// follow the user's settings and the screen's DPI.
#pragma once

#include <windows.h>

#include <string>

#include "ui/GdiHandles.h"

namespace qmui {

struct UiFonts {
    Font normal;      // texts, labels, buttons, lists
    Font bold;        // "Important note:" and the like
    Font heading;     // page headings
    Font boldItalic;  // the About box's version
    Font link;        // underlined links
    Font title;       // the program's name on its pictures
    std::wstring faceName;
    int pointSize = 8;
};

// The fonts for a window on a screen of `dpi`.
UiFonts MakeUiFonts(int dpi);

// Every window inside `root` that shows one of the fonts `from` takes the
// same font of `to` (after a change of DPI).
void ReplaceFonts(HWND root, const UiFonts& from, const UiFonts& to);

// The height in pixels of `text` wrapped to `width` pixels in `font`.
int TextHeight(HFONT font, const std::wstring& text, int width);

}  // namespace qmui
