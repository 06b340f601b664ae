// The two halves of a 64-bit Windows as the engine sees them: the registry
// views (a key lives in the 64-bit view, the 32-bit view, or both share it)
// and the 32-bit twins of the system and program folders.
//
// A native program on 64-bit Windows sees both halves; on 32-bit Windows, or
// as a 32-bit program under WOW64, there is one view and no twins, and every
// text below is what it was before 64-bit Windows existed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace qm {

// Whether this program runs natively on 64-bit Windows.
bool SeesBothHalves();
// Whether it is a 32-bit program under WOW64 (it cannot see the 64-bit half).
bool IsWow64Program();

// A registry view as rows and report lines name it: the access flag that
// reaches it and the mark after the key ("" for the only view, or for a key
// that both views share).
struct KeyView {
    REGSAM flag = 0;
    const char* mark = "";
};
inline constexpr KeyView kOnlyView{0, ""};
inline constexpr KeyView kSharedKey{KEY_WOW64_64KEY, ""};
inline constexpr KeyView kView64{KEY_WOW64_64KEY, " (64-bit)"};
inline constexpr KeyView kView32{KEY_WOW64_32KEY, " (32-bit)"};

// What a key is, whichever view or path reached it: its kernel name, or
// nothing when the system cannot tell.
std::optional<std::u16string> KeyIdentity(HKEY key);

// The view of a row whose key column reads `keyText` for the item's `path`
// (bothHalves: the machine has two views), or nothing when the text is not
// one of the path's.
std::optional<KeyView> ViewOfKeyText(const std::string& keyText, const std::string& path, bool bothHalves);

// The 32-bit twin of a path below the native system folder, Program Files or
// Common Files (the same place below SysWOW64, Program Files (x86) or Common
// Files (x86)), or nothing.
std::optional<std::string> ThirtyTwoBitTwin(const std::string& path);

}  // namespace qm
