// An item list kept in memory.
#include "engine/MemoryItemList.h"

#include <climits>
#include <stdexcept>

namespace qm {

int MemoryItemList::AddRow() {
    rows_.emplace_back();
    const int index = RowCount() - 1;
    rowsWithoutSubItems_.insert(index);
    return index;
}

void MemoryItemList::Clear() {
    rows_.clear();
    rowsByLastSubItem_.clear();
    rowsWithoutSubItems_.clear();
}

void MemoryItemList::AddSubItem(int row, const std::string& text) {
    Row& r = At(row);
    if (r.subItems.empty()) {
        rowsWithoutSubItems_.erase(row);
    } else {
        auto it = rowsByLastSubItem_.find(r.subItems.back());
        it->second.erase(row);
        if (it->second.empty()) rowsByLastSubItem_.erase(it);
    }
    r.subItems.push_back(text);
    rowsByLastSubItem_[text].insert(row);
}

std::string MemoryItemList::SubItem(int row, int index) const {
    const Row& r = At(row);
    if (index < 0 || index >= static_cast<int>(r.subItems.size()))
        throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
    return r.subItems[static_cast<size_t>(index)];
}

int MemoryItemList::FindFirstRowByLastSubItem(const std::string& text) const {
    auto it = rowsByLastSubItem_.find(text);
    const int match = it == rowsByLastSubItem_.end() ? INT_MAX : *it->second.begin();
    const int empty = rowsWithoutSubItems_.empty() ? INT_MAX : *rowsWithoutSubItems_.begin();
    if (match == INT_MAX || empty < match) return -1;
    return match;
}

std::vector<int> MemoryItemList::RowsWithLastSubItem(const std::string& text) const {
    auto it = rowsByLastSubItem_.find(text);
    if (it == rowsByLastSubItem_.end()) return {};
    return {it->second.begin(), it->second.end()};
}

}  // namespace qm
