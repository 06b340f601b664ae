// The program's pictures, drawn with GDI on a 16 x 16 grid scaled to the box.
#include "ui/Pictures.h"

#include <algorithm>
#include <initializer_list>
#include <ranges>
#include <vector>

namespace qmui {

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);  // the mask colour of the image lists
constexpr COLORREF kOutline = RGB(64, 64, 64);

// Grid coordinates (0..16) to device pixels inside one box.
class Canvas {
public:
    Canvas(HDC dc, const RECT& box) : dc_(dc), box_(box) {}
    HDC dc() const { return dc_; }
    int X(double g) const { return box_.left + static_cast<int>(g * Side() / 16.0 + 0.5); }
    int Y(double g) const { return box_.top + static_cast<int>(g * Side() / 16.0 + 0.5); }
    int Width(double g) const { return std::max(1, static_cast<int>(g * Side() / 16.0 + 0.5)); }

    void Box(double l, double t, double r, double b, COLORREF fill, COLORREF line) const {
        Brush brush(CreateSolidBrush(fill));
        Pen pen(CreatePen(PS_SOLID, 1, line));
        Selected sb(dc_, brush.get()), sp(dc_, pen.get());
        Rectangle(dc_, X(l), Y(t), X(r), Y(b));
    }
    void Fill(double l, double t, double r, double b, COLORREF fill) const {
        Brush brush(CreateSolidBrush(fill));
        RECT rc{X(l), Y(t), X(r), Y(b)};
        FillRect(dc_, &rc, brush.get());
    }
    void Oval(double l, double t, double r, double b, COLORREF fill, COLORREF line) const {
        Brush brush(CreateSolidBrush(fill));
        Pen pen(CreatePen(PS_SOLID, 1, line));
        Selected sb(dc_, brush.get()), sp(dc_, pen.get());
        Ellipse(dc_, X(l), Y(t), X(r), Y(b));
    }
    void Shape(std::initializer_list<POINT> grid, COLORREF fill, COLORREF line) const {
        std::vector<POINT> points;
        for (POINT p : grid) points.push_back({X(p.x / 2.0), Y(p.y / 2.0)});
        Brush brush(CreateSolidBrush(fill));
        Pen pen(CreatePen(PS_SOLID, 1, line));
        Selected sb(dc_, brush.get()), sp(dc_, pen.get());
        Polygon(dc_, points.data(), static_cast<int>(points.size()));
    }
    void Line(double x1, double y1, double x2, double y2, double width, COLORREF color) const {
        Pen pen(CreatePen(PS_SOLID, Width(width), color));
        Selected sp(dc_, pen.get());
        MoveToEx(dc_, X(x1), Y(y1), nullptr);
        LineTo(dc_, X(x2), Y(y2));
    }

private:
    int Side() const { return std::min(box_.right - box_.left, box_.bottom - box_.top); }
    HDC dc_;
    RECT box_;
};

// A sheet of paper with a folded corner.
void Sheet(const Canvas& c) {
    c.Shape({{5, 2}, {21, 2}, {27, 8}, {27, 30}, {5, 30}}, RGB(255, 255, 255), kOutline);
    c.Shape({{21, 2}, {21, 8}, {27, 8}}, RGB(220, 220, 220), kOutline);
}

void Gear(const Canvas& c, COLORREF color) {
    c.Line(6, 1.5, 6, 12.5, 2.2, color);
    c.Line(0.5, 7, 11.5, 7, 2.2, color);
    c.Line(2.2, 3.2, 9.8, 10.8, 2.2, color);
    c.Line(2.2, 10.8, 9.8, 3.2, 2.2, color);
    c.Oval(2, 3, 10, 11, color, color);
    c.Oval(4.5, 5.5, 7.5, 8.5, RGB(255, 255, 255), color);
}

void Badge(const Canvas& c, COLORREF color, bool plus) {
    c.Oval(8, 8, 16, 16, color, RGB(255, 255, 255));
    c.Line(9.8, 12, 14.2, 12, 1.6, RGB(255, 255, 255));
    if (plus) c.Line(12, 9.8, 12, 14.2, 1.6, RGB(255, 255, 255));
}

void ShieldShape(const Canvas& c) {
    c.Shape({{16, 1}, {29, 5}, {29, 15}, {24, 25}, {16, 31}, {8, 25}, {3, 15}, {3, 5}}, RGB(30, 110, 200),
            RGB(255, 255, 255));
    c.Line(5.5, 8.5, 7.5, 11, 2, RGB(255, 255, 255));
    c.Line(7.5, 11, 11, 5.5, 2, RGB(255, 255, 255));
}

}  // namespace

void DrawGlyph(HDC dc, const RECT& box, Glyph glyph) {
    const Canvas c(dc, box);
    switch (glyph) {
        case Glyph::RegistryKey:
            c.Oval(1, 4, 8, 11, RGB(230, 180, 30), RGB(140, 100, 0));
            c.Oval(3, 6, 5, 8, RGB(255, 255, 255), RGB(140, 100, 0));
            c.Box(7.5, 6.5, 15, 8.5, RGB(230, 180, 30), RGB(140, 100, 0));
            c.Box(11, 8, 12.5, 11, RGB(230, 180, 30), RGB(140, 100, 0));
            c.Box(13.5, 8, 15, 10.5, RGB(230, 180, 30), RGB(140, 100, 0));
            break;
        case Glyph::RegistryValue:
            c.Box(1, 3, 15, 13, RGB(255, 255, 255), kOutline);
            c.Line(3, 6, 9, 6, 1.2, RGB(200, 40, 40));
            c.Line(3, 8, 13, 8, 1.2, RGB(200, 40, 40));
            c.Line(3, 10, 11, 10, 1.2, RGB(200, 40, 40));
            break;
        case Glyph::Folder:
            c.Shape({{2, 6}, {12, 6}, {14, 8}, {29, 8}, {29, 26}, {2, 26}}, RGB(240, 200, 80), RGB(160, 120, 20));
            break;
        case Glyph::File:
            Sheet(c);
            for (double y : {6.0, 8.5, 11.0}) c.Line(4.5, y, 11.5, y, 1, RGB(150, 150, 150));
            break;
        case Glyph::IniSection:
            Sheet(c);
            c.Line(4.5, 6, 4.5, 12, 1.2, RGB(40, 90, 200));
            c.Line(4.5, 6, 6, 6, 1.2, RGB(40, 90, 200));
            c.Line(4.5, 12, 6, 12, 1.2, RGB(40, 90, 200));
            c.Line(11.5, 6, 11.5, 12, 1.2, RGB(40, 90, 200));
            c.Line(10, 6, 11.5, 6, 1.2, RGB(40, 90, 200));
            c.Line(10, 12, 11.5, 12, 1.2, RGB(40, 90, 200));
            break;
        case Glyph::IniValue:
            Sheet(c);
            c.Line(5, 7.5, 11, 7.5, 1.3, RGB(30, 140, 60));
            c.Line(5, 10.5, 11, 10.5, 1.3, RGB(30, 140, 60));
            break;
        case Glyph::Process:
            c.Box(1, 2, 15, 14, RGB(255, 255, 255), kOutline);
            c.Fill(1.5, 2.5, 14.5, 5, RGB(40, 90, 200));
            c.Fill(11.5, 3, 13.5, 4.5, RGB(220, 60, 60));
            break;
        case Glyph::Failed:
            c.Oval(1, 1, 15, 15, RGB(210, 30, 30), RGB(150, 0, 0));
            c.Line(5, 5, 11, 11, 2, RGB(255, 255, 255));
            c.Line(11, 5, 5, 11, 2, RGB(255, 255, 255));
            break;
        case Glyph::Disk:
            c.Box(1, 5, 15, 12, RGB(200, 200, 200), kOutline);
            c.Line(2, 10, 14, 10, 1, RGB(150, 150, 150));
            c.Fill(11, 7, 13, 8.5, RGB(40, 200, 60));
            break;
        case Glyph::RegisterServer:
            Gear(c, RGB(80, 100, 140));
            Badge(c, RGB(30, 150, 60), true);
            break;
        case Glyph::UnregisterServer:
            Gear(c, RGB(80, 100, 140));
            Badge(c, RGB(200, 40, 40), false);
            break;
        case Glyph::Exit:
            c.Oval(1, 1, 15, 15, RGB(200, 40, 40), RGB(130, 0, 0));
            {
                Pen pen(CreatePen(PS_SOLID, c.Width(1.6), RGB(255, 255, 255)));
                Selected sp(dc, pen.get());
                // Counter-clockwise from the upper left round the bottom to the upper right.
                Arc(dc, c.X(4), c.Y(4), c.X(12), c.Y(12), c.X(6), c.Y(4.5), c.X(10), c.Y(4.5));
            }
            c.Line(8, 3, 8, 8, 1.6, RGB(255, 255, 255));
            break;
        case Glyph::About:
            c.Oval(1, 1, 15, 15, RGB(40, 100, 200), RGB(20, 60, 140));
            c.Fill(7, 3.5, 9, 5.5, RGB(255, 255, 255));
            c.Fill(7, 7, 9, 12.5, RGB(255, 255, 255));
            break;
        case Glyph::NextArrow: c.Shape({{6, 6}, {20, 16}, {6, 26}}, RGB(30, 150, 60), RGB(20, 100, 40)); break;
        case Glyph::Shield: ShieldShape(c); break;
        case Glyph::CheckOff:
        case Glyph::CheckOn:
            c.Box(1.5, 1.5, 14.5, 14.5, RGB(255, 255, 255), RGB(90, 90, 90));
            if (glyph == Glyph::CheckOn) {
                c.Line(4.2, 8, 6.8, 10.8, 1.8, RGB(20, 20, 20));
                c.Line(6.8, 10.8, 11.8, 4.8, 1.8, RGB(20, 20, 20));
            }
            break;
    }
}

namespace {

// Draws a picture on the mask colour, ready for an image list.
Bitmap GlyphBitmap(Glyph glyph, int size) {
    ScreenDC screen;
    Bitmap bitmap(CreateCompatibleBitmap(screen.get(), size, size));
    MemoryDC memory;
    Selected selected(memory.get(), bitmap.get());
    RECT box{0, 0, size, size};
    Brush background(CreateSolidBrush(kTransparent));
    FillRect(memory.get(), &box, background.get());
    DrawGlyph(memory.get(), box, glyph);
    return bitmap;
}

void AddGlyph(HIMAGELIST list, Glyph glyph, int size) {
    Bitmap bitmap = GlyphBitmap(glyph, size);
    ImageList_AddMasked(list, bitmap.get(), kTransparent);
}

}  // namespace

ImageList MakeItemImages(int size) {
    // What each ListPicture looks like, in index order.
    struct Picture {
        qm::ListPicture index;
        Glyph glyph;
    };
    static constexpr Picture kPictures[] = {
        {qm::kPictureRegistryKey, Glyph::RegistryKey},
        {qm::kPictureRegistryValue, Glyph::RegistryValue},
        {qm::kPictureFolder, Glyph::Folder},
        {qm::kPictureFile, Glyph::File},
        {qm::kPictureIniSection, Glyph::IniSection},
        {qm::kPictureIniValue, Glyph::IniValue},
        {qm::kPictureProcess, Glyph::Process},
        {qm::kPictureFailed, Glyph::Failed},
        {qm::kPictureDisk, Glyph::Disk},
        {qm::kPictureRegisterServer, Glyph::RegisterServer},
        {qm::kPictureUnregisterServer, Glyph::UnregisterServer},
        {qm::kPictureRegistryTab, Glyph::RegistryKey},
        {qm::kPictureDiskTab, Glyph::File},
        {qm::kPictureServersTab, Glyph::RegisterServer},
        {qm::kPictureProcessTab, Glyph::Process},
        {qm::kPictureIniTab, Glyph::IniSection},
        {qm::kPictureRefused, Glyph::Failed},
    };
    // The image list numbers its pictures as they are added.
    static_assert(std::size(kPictures) == qm::kPictureCount);
    static_assert(std::ranges::all_of(std::views::iota(0, int{qm::kPictureCount}),
                                      [](int i) { return kPictures[i].index == i; }));
    ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, qm::kPictureCount, 0));
    for (const Picture& picture : kPictures) AddGlyph(list.get(), picture.glyph, size);
    return list;
}

ImageList MakeCheckImages(int size) {
    ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 2, 0));
    AddGlyph(list.get(), Glyph::CheckOff, size);
    AddGlyph(list.get(), Glyph::CheckOn, size);
    return list;
}

ImageList MakeSingleImage(Glyph glyph, int size) {
    ImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 0));
    AddGlyph(list.get(), glyph, size);
    return list;
}

Icon MakeIcon(Glyph glyph, int size) {
    ImageList list = MakeSingleImage(glyph, size);
    return Icon(ImageList_GetIcon(list.get(), 0, ILD_NORMAL));
}

void DrawBrandPicture(HDC dc, const RECT& box, HFONT titleFont) {
    const int width = box.right - box.left, height = box.bottom - box.top;
    if (width <= 0 || height <= 0) return;
    // A vertical gradient in bands: GradientFill would need msimg32.
    constexpr int kBands = 64;
    for (int band = 0; band < kBands; ++band) {
        const int r = 20 + (30 - 20) * band / kBands, g = 50 + (130 - 50) * band / kBands,
                  b = 110 + (170 - 110) * band / kBands;
        Brush brush(CreateSolidBrush(RGB(r, g, b)));
        RECT strip{box.left, box.top + height * band / kBands, box.right, box.top + height * (band + 1) / kBands};
        FillRect(dc, &strip, brush.get());
    }
    const int side = std::min(width * 3 / 5, height / 2);
    RECT shield{box.left + (width - side) / 2, box.top + height / 6, 0, 0};
    shield.right = shield.left + side;
    shield.bottom = shield.top + side;
    DrawGlyph(dc, shield, Glyph::Shield);

    Selected font(dc, titleFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT title{box.left, shield.bottom + side / 8, box.right, box.bottom};
    DrawTextW(dc, L"Quellmar", -1, &title, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace qmui
