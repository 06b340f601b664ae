// The fonts of the windows.
#include "ui/Fonts.h"

#include <cstdlib>
#include <utility>

#include "ui/Dpi.h"
#include "ui/GdiHandles.h"

namespace qmui {

namespace {

Font FontFrom(LOGFONTW logFont, LONG weight, bool italic, bool underline, int heightPercent) {
    logFont.lfWeight = weight;
    logFont.lfItalic = italic ? TRUE : FALSE;
    logFont.lfUnderline = underline ? TRUE : FALSE;
    logFont.lfHeight = MulDiv(logFont.lfHeight, heightPercent, 100);
    return Font(CreateFontIndirectW(&logFont));
}

}  // namespace

UiFonts MakeUiFonts(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW base{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        base = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
    }
    if (base.lfHeight == 0) base.lfHeight = -11;
    // The message font is given at the system's DPI; a point stays a point.
    const int systemDpi = SystemDpi();
    const int points = MulDiv(std::abs(static_cast<int>(base.lfHeight)), 72, systemDpi);
    base.lfHeight = MulDiv(base.lfHeight, dpi, systemDpi);

    UiFonts fonts;
    fonts.normal = FontFrom(base, FW_NORMAL, false, false, 100);
    fonts.bold = FontFrom(base, FW_BOLD, false, false, 100);
    fonts.heading = FontFrom(base, FW_BOLD, false, false, 160);
    fonts.boldItalic = FontFrom(base, FW_BOLD, true, false, 120);
    fonts.link = FontFrom(base, FW_NORMAL, false, true, 100);
    fonts.title = FontFrom(base, FW_BOLD, false, false, 300);
    fonts.faceName = base.lfFaceName;
    fonts.pointSize = points < 6 ? 8 : points;
    return fonts;
}

namespace {

struct FontSwap {
    const UiFonts& from;
    const UiFonts& to;
};

// CALLBACK: the 32-bit build's callbacks are stdcall, which a lambda is not.
BOOL CALLBACK ReplaceFont(HWND window, LPARAM context) {
    const auto& swap = *reinterpret_cast<const FontSwap*>(context);
    const auto shown = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    const std::pair<const Font*, const Font*> pairs[] = {
        {&swap.from.normal, &swap.to.normal},   {&swap.from.bold, &swap.to.bold},
        {&swap.from.heading, &swap.to.heading}, {&swap.from.boldItalic, &swap.to.boldItalic},
        {&swap.from.link, &swap.to.link},       {&swap.from.title, &swap.to.title},
    };
    for (const auto& [old, replacement] : pairs) {
        if (shown == nullptr || shown != old->get()) continue;
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(replacement->get()), FALSE);
        break;
    }
    return TRUE;
}

}  // namespace

void ReplaceFonts(HWND root, const UiFonts& from, const UiFonts& to) {
    const FontSwap swap{from, to};
    EnumChildWindows(root, &ReplaceFont, reinterpret_cast<LPARAM>(&swap));
}

int TextHeight(HFONT font, const std::wstring& text, int width) {
    ScreenDC screen;
    Selected selected(screen.get(), font);
    RECT box{0, 0, width, 0};
    DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    return box.bottom - box.top;
}

}  // namespace qmui
