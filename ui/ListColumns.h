// The columns of the five item lists and of the report list. The last column
// of an item list holds the row's item number and is hidden (width 0); the
// object columns (paths, keys, values, file names) keep their share of the
// list's width.
#pragma once

#include <vector>

#include "shell/WizardView.h"
#include "ui/ListViewItemList.h"

namespace qmui {

std::vector<ListColumn> ColumnsOf(qm::Widget list);

}  // namespace qmui
