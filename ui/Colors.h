// Colours the windows use beyond the system's own.
#pragma once

#include <windows.h>

namespace qmui {

// Links: Windows' usual hyperlink blue. COLOR_HOTLIGHT is not used: some
// themes give it to menu highlights, where it can be nearly white.
inline constexpr COLORREF kLinkColor = RGB(0, 102, 204);

}  // namespace qmui
