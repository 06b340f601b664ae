// The windows' layout in design units: pixels at 96 DPI. Every position and
// size is scaled by the screen's DPI when the controls are made.
#pragma once

#include <windows.h>

namespace qmui {

inline constexpr int kClientWidth = 692;
inline constexpr int kClientHeight = 473;
inline constexpr int kNotebookHeight = 426;  // nbWizard; the button bar is below
inline constexpr int kAboutWidth = 457;
inline constexpr int kAboutHeight = 474;
inline constexpr int kPictureWidth = 200;  // the picture beside the welcome and no-infection texts
inline constexpr int kSmallIcon = 16;      // item and tab pictures
inline constexpr int kButtonIcon = 24;     // the picture-only buttons

struct DesignRect {
    int x, y, width, height;
};

// Which sides of its parent a control keeps its distance to when the window
// grows; left and right together stretch it, and so do top and bottom.
enum Anchor : unsigned {
    kAnchorLeft = 1,
    kAnchorTop = 2,
    kAnchorRight = 4,
    kAnchorBottom = 8,
    kAnchorTopLeft = kAnchorLeft | kAnchorTop,
    kAnchorTopWide = kAnchorLeft | kAnchorTop | kAnchorRight,
    kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
    kAnchorBottomLeft = kAnchorLeft | kAnchorBottom,
    kAnchorBottomRight = kAnchorRight | kAnchorBottom,
    kAnchorBottomWide = kAnchorLeft | kAnchorRight | kAnchorBottom,
    kAnchorLeftTall = kAnchorLeft | kAnchorTop | kAnchorBottom,
};

// Design units to device pixels.
class Scaler {
public:
    explicit Scaler(int dpi) : dpi_(dpi > 0 ? dpi : 96) {}
    int dpi() const { return dpi_; }
    int operator()(int units) const { return MulDiv(units, dpi_, 96); }
    RECT operator()(const DesignRect& r) const {
        return {(*this)(r.x), (*this)(r.y), (*this)(r.x + r.width), (*this)(r.y + r.height)};
    }

private:
    int dpi_;
};

// Where a control stands after its parent grew by (dx, dy) from the design size.
inline RECT Anchored(const RECT& base, unsigned anchors, int dx, int dy) {
    RECT r = base;
    if (anchors & kAnchorRight) {
        r.right += dx;
        if (!(anchors & kAnchorLeft)) r.left += dx;
    }
    if (anchors & kAnchorBottom) {
        r.bottom += dy;
        if (!(anchors & kAnchorTop)) r.top += dy;
    }
    return r;
}

}  // namespace qmui
