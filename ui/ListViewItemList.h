// An item list shown in a report-style list view: the five item lists and
// the report list of the wizard window.
//
// The rows' texts, pictures and checks are also kept beside the control, in a
// MemoryItemList, so reading them costs no window message and
// FindFirstRowByLastSubItem is answered from that list's index instead of a
// visit of every row. The user's clicks on the check boxes reach the kept
// checks through the list view's notifications (OnNotify); the notifications
// that this class causes itself while it fills the control are ignored.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "engine/MemoryItemList.h"

namespace qmui {

struct ListColumn {
    const char* caption;
    int width;  // design units; 0 hides the column
};

class ListViewItemList : public qm::ItemList {
public:
    // Makes the list view with its columns. The image list is shared, never
    // destroyed by the control.
    void Create(HWND parent, int id, const std::vector<ListColumn>& columns, bool checkBoxes, HIMAGELIST images,
                HFONT font, int dpi);
    HWND hwnd() const { return hwnd_; }

    int AddRow() override;
    int RowCount() const override { return rows_.RowCount(); }
    void Clear() override;
    void SetCaption(int row, const std::string& caption) override;
    std::string Caption(int row) const override { return rows_.Caption(row); }
    void SetImageIndex(int row, int image) override;
    int ImageIndex(int row) const override { return rows_.ImageIndex(row); }
    void AddSubItem(int row, const std::string& text) override;
    int SubItemCount(int row) const override { return rows_.SubItemCount(row); }
    std::string SubItem(int row, int index) const override { return rows_.SubItem(row, index); }
    bool Checked(int row) const override { return rows_.Checked(row); }
    void SetChecked(int row, bool checked) override;
    void FitColumns() override;
    int FindFirstRowByLastSubItem(const std::string& text) const override {
        return rows_.FindFirstRowByLastSubItem(text);
    }
    std::vector<int> RowsWithLastSubItem(const std::string& text) const override {
        return rows_.RowsWithLastSubItem(text);
    }

    // A notification from the list view or its header. Returns true with
    // `result` set when it was handled here (a hidden column refuses to be
    // widened by the user).
    bool OnNotify(const NMHDR& header, LRESULT& result);

private:
    // Counts the changes this class makes to the control, whose
    // notifications must not be taken for the user's.
    class OwnChange {
    public:
        explicit OwnChange(int& depth) : depth_(depth) { ++depth_; }
        ~OwnChange() { --depth_; }
        OwnChange(const OwnChange&) = delete;
        OwnChange& operator=(const OwnChange&) = delete;

    private:
        int& depth_;
    };

    bool IsHiddenColumn(int column) const;

    HWND hwnd_ = nullptr;
    bool checkBoxes_ = false;
    std::vector<bool> hiddenColumns_;
    std::vector<std::wstring> captions_;
    int dpi_ = 96;
    qm::MemoryItemList rows_;
    int ownChanges_ = 0;
};

}  // namespace qmui
