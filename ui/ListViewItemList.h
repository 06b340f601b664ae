// An item list shown in a report-style list view: the five item lists and
// the report list of the wizard window.
//
// A virtual list view (LVS_OWNERDATA): the rows' texts, pictures and checks
// are kept beside the control, in a MemoryItemList, so adding and reading
// them costs no window message and FindFirstRowByLastSubItem is answered
// from that list's index. The control holds nothing per row: it learns how
// many rows there are (Flush: one message a batch, whatever its size) and
// asks for the texts, the pictures and the check boxes (state images, in
// the callback mask) of the rows it draws (LVN_GETDISPINFO). The check
// boxes are ours too: a click on one, or Space on the focused row, toggles
// the kept check and redraws the row.
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
    // The list moved to a screen of another DPI: its pictures and check
    // boxes are those of that screen, and its columns are fitted again (the
    // font, already set, measures the texts anew).
    void SetDpi(int dpi, HIMAGELIST images, HIMAGELIST checkImages);

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

    // Gives the control the rows added since the last flush (one message)
    // and redraws rows whose texts changed.
    void Flush();
    // The list's width changed: the fitted columns share the new width.
    void Refit();

    // A notification from the list view or its header. Returns true with
    // `result` set when it was handled here.
    bool OnNotify(const NMHDR& header, LRESULT& result);

private:
    bool IsHiddenColumn(int column) const;
    bool IsObjectColumn(int column) const;
    // The text of a cell: column 0 is the caption, column k sub-item k - 1.
    std::wstring CellText(int row, int column) const;
    void SetImages(HIMAGELIST images, HIMAGELIST checkImages);
    void OnGetDisplayInfo(NMLVDISPINFOW& info);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void DrawObjectCell(const NMLVCUSTOMDRAW& draw);
    void OnGetInfoTip(NMLVGETINFOTIPW& tip) const;
    // A click at `point` (client coordinates): on a check box it toggles it.
    void OnClick(POINT point);
    void OnKeyDown(const NMLVKEYDOWN& key);
    // Type-ahead: the next row whose caption starts with the typed text.
    int OnFindItem(const NMLVFINDITEMW& find) const;
    void ToggleCheck(int row);
    // Redraws a row the control holds, when it is in view.
    void RedrawRow(int row);
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
    std::wstring textBuffer_;  // the last text handed to the control
};

}  // namespace qmui
