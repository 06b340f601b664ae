// An item list kept in memory: used by the tests and by the command-line
// front end in place of a list widget.
#pragma once

#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ItemList.h"

namespace qm {

class MemoryItemList : public ItemList {
public:
    int AddRow() override;
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    void Clear() override;

    void SetCaption(int row, const std::string& caption) override { At(row).caption = caption; }
    std::string Caption(int row) const override { return At(row).caption; }
    void SetImageIndex(int row, int image) override { At(row).image = image; }
    int ImageIndex(int row) const override { return At(row).image; }
    void AddSubItem(int row, const std::string& text) override;
    int SubItemCount(int row) const override { return static_cast<int>(At(row).subItems.size()); }
    std::string SubItem(int row, int index) const override;
    bool Checked(int row) const override { return At(row).checked; }
    void SetChecked(int row, bool checked) override { At(row).checked = checked; }
    void FitColumns() override { ++fitCount_; }
    int FindFirstRowByLastSubItem(const std::string& text) const override;
    std::vector<int> RowsWithLastSubItem(const std::string& text) const override;

    // How often FitColumns was asked for (the widget would resize its columns).
    int fitCount() const { return fitCount_; }

private:
    struct Row {
        std::string caption;
        int image = -1;
        std::vector<std::string> subItems;
        bool checked = true;
    };
    Row& At(int row) { return rows_.at(static_cast<size_t>(row)); }
    const Row& At(int row) const { return rows_.at(static_cast<size_t>(row)); }

    std::vector<Row> rows_;
    // Rows by their current last sub-item, and rows that have none yet: what
    // FindFirstRowByLastSubItem needs, kept up to date as rows grow.
    std::unordered_map<std::string, std::set<int>> rowsByLastSubItem_;
    std::set<int> rowsWithoutSubItems_;
    int fitCount_ = 0;
};

}  // namespace qm
