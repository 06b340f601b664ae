// The program's pictures, drawn with GDI: the small pictures of the item
// lists, the report and the tabs, the pictures of the buttons, the program
// icon and the picture beside the welcome text and in the About box.
#pragma once

#include <windows.h>

#include "engine/ItemList.h"
#include "ui/GdiHandles.h"

namespace qmui {

enum class Glyph {
    RegistryKey,
    RegistryValue,
    Folder,
    File,
    IniSection,
    IniValue,
    Process,
    Failed,
    Disk,
    RegisterServer,
    UnregisterServer,
    Exit,
    About,
    NextArrow,
    Shield,
    CheckOff,
    CheckOn,
};

// Draws one picture into a square.
void DrawGlyph(HDC dc, const RECT& box, Glyph glyph);

// The one image list that the item lists, the report list and the tabs share,
// with the engine's image indexes: 0 registry key, 1 registry value, 2 folder,
// 3 file, 4 INI section, 5 INI value, 6 process, 7 failed, 8 disk report
// line, 9 register server, 10 unregister server; then the tab pictures:
// 11 registry, 12 disk, 13 servers, 14 processes, 15 INI.
ImageList MakeItemImages(int size);
// The lists' check boxes: 0 unchecked, 1 checked (state images 1 and 2).
ImageList MakeCheckImages(int size);
// A list holding one picture (the Next button's arrow).
ImageList MakeSingleImage(Glyph glyph, int size);
Icon MakeIcon(Glyph glyph, int size);

// The program's picture: the shield on a blue ground, with the program's
// name below it when there is room.
void DrawBrandPicture(HDC dc, const RECT& box, HFONT titleFont);

}  // namespace qmui
