// The fonts of the windows.
#include "ui/Fonts.h"

#include <cstdlib>

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

UiFonts MakeUiFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW base{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        base = metrics.lfMessageFont;
    } else {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
    }
    if (base.lfHeight == 0) base.lfHeight = -11;

    UiFonts fonts;
    fonts.normal = FontFrom(base, FW_NORMAL, false, false, 100);
    fonts.bold = FontFrom(base, FW_BOLD, false, false, 100);
    fonts.heading = FontFrom(base, FW_BOLD, false, false, 160);
    fonts.boldItalic = FontFrom(base, FW_BOLD, true, false, 120);
    fonts.link = FontFrom(base, FW_NORMAL, false, true, 100);
    fonts.title = FontFrom(base, FW_BOLD, false, false, 300);
    fonts.faceName = base.lfFaceName;
    ScreenDC screen;
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    fonts.pointSize = MulDiv(std::abs(static_cast<int>(base.lfHeight)), 72, dpi > 0 ? dpi : 96);
    if (fonts.pointSize < 6) fonts.pointSize = 8;
    return fonts;
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
