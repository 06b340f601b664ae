// How the columns of a list share its width, so that a list shows its rows'
// objects (a path, a key, a file name) without a horizontal scroll bar and no
// other column can push them out of view.
#pragma once

#include <vector>

namespace qm {

enum class ColumnRole {
    Fitted,  // as wide as its texts, up to a share of the list
    Object,  // shares what the fitted columns leave; a long text loses its middle
    Hidden,  // always 0
};

struct ColumnNeed {
    ColumnRole role = ColumnRole::Fitted;
    int wanted = 0;   // its widest text (or caption) with the cell's margins
    int minimum = 0;  // never narrower, while the list has room for it
};

// The widest share of the list that one fitted column may take.
inline constexpr int kFittedSharePercent = 25;
// What the object columns together keep at least, whatever the others want.
inline constexpr int kObjectSharePercent = 45;

// The widths of the columns for a list `available` pixels wide. Fitted
// columns get what they want up to kFittedSharePercent of the width; the
// object columns share the rest, a column that wants less than an equal
// share getting all it wants; room left over goes to the first object column.
std::vector<int> FitColumnWidths(const std::vector<ColumnNeed>& columns, int available);

}  // namespace qm
