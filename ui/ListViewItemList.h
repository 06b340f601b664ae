// An item list shown in a report-style list view: the five item lists and
// the report list of the wizard window.
//
// The rows' texts, pictures and checks are kept beside the control, in a
// MemoryItemList, so adding and reading them costs no window message and
// FindFirstRowByLastSubItem is answered from that list's index. The control
// learns of new rows in batches (Flush: one message a row, drawing held) and
// asks for their texts and pictures only when it draws them
// (LVN_GETDISPINFO). The user's clicks on the check boxes reach the kept
// checks through the list view's notifications (OnNotify); the notifications
// that this class causes itself are ignored.
//
// The columns share the list's width (FitColumnWidths): the objects (paths,
// keys, file names) stay in view, a long path loses its middle, and a row's
// tooltip shows its whole texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "engine/MemoryItemList.h"
#include "shell/ColumnFit.h"

namespace qmui {

struct ListColumn {
    const char* caption;
    int width;  // design units, until the columns are fitted; 0 hides the column
    qm::ColumnRole role = qm::ColumnRole::Fitted;
};

class ListViewItemList : public qm::ItemList {
public:
    // Makes the list view with its columns. The image lists are shared, never
    // destroyed by the control; `checkImages` (unchecked, checked) is used
    // when the list has check boxes.
    void Create(HWND parent, int id, const std::vector<ListColumn>& columns, bool checkBoxes, HIMAGELIST images,
                HIMAGELIST checkImages, HFONT font, int dpi);
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
    // Measures the texts and shares the list's width among the columns.
    void FitColumns() override;
    int FindFirstRowByLastSubItem(const std::string& text) const override {
        return rows_.FindFirstRowByLastSubItem(text);
    }
    std::vector<int> RowsWithLastSubItem(const std::string& text) const override {
        return rows_.RowsWithLastSubItem(text);
    }

    // Gives the control the rows added since the last flush, in one batch
    // with drawing held, and redraws rows whose texts changed.
    void Flush();
    // The list's width changed: the fitted columns share the new width.
    void Refit();

    // A notification from the list view or its header. Returns true with
    // `result` set when it was handled here.
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
    bool IsObjectColumn(int column) const;
    // The text of a cell: column 0 is the caption, column k sub-item k - 1.
    std::wstring CellText(int row, int column) const;
    void OnGetDisplayInfo(NMLVDISPINFOW& info);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void DrawObjectCell(const NMLVCUSTOMDRAW& draw);
    void OnGetInfoTip(NMLVGETINFOTIPW& tip) const;
    void OnUserCheck(const NMLISTVIEW& change);
    int AvailableWidth() const;
    void ApplyWidths();

    HWND hwnd_ = nullptr;
    HWND header_ = nullptr;  // the list view's header control
    bool checkBoxes_ = false;
    std::vector<ListColumn> columns_;
    std::vector<std::wstring> captions_;
    std::vector<int> wanted_;  // the fitted columns' wishes, kept for Refit
    int dpi_ = 96;
    qm::MemoryItemList rows_;
    int shown_ = 0;          // rows the control holds
    bool redraw_ = false;    // a row the control holds has changed
    int ownChanges_ = 0;
    std::wstring textBuffer_;  // the last text handed to the control
};

}  // namespace qmui
