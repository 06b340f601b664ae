// An item list shown in a report-style list view.
#include "ui/ListViewItemList.h"

#include "ui/Win32Text.h"

namespace qmui {

namespace {

constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr int kHeaderPadding = 18;  // a header item's margins, in design units

void SetCellText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void ListViewItemList::Create(HWND parent, int id, const std::vector<ListColumn>& columns, bool checkBoxes,
                              HIMAGELIST images, HFONT font, int dpi) {
    checkBoxes_ = checkBoxes;
    dpi_ = dpi;
    hwnd_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS, 0, 0,
        10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
    if (checkBoxes) extended |= LVS_EX_CHECKBOXES;
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));

    hiddenColumns_.clear();
    captions_.clear();
    for (const ListColumn& column : columns) {
        const std::wstring caption = Widen(column.caption);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        lvc.pszText = const_cast<wchar_t*>(caption.c_str());
        lvc.cx = MulDiv(column.width, dpi, 96);
        lvc.iSubItem = static_cast<int>(hiddenColumns_.size());
        SendMessageW(hwnd_, LVM_INSERTCOLUMNW, hiddenColumns_.size(), reinterpret_cast<LPARAM>(&lvc));
        hiddenColumns_.push_back(column.width == 0);
        captions_.push_back(caption);
    }
}

int ListViewItemList::AddRow() {
    const int row = rows_.AddRow();
    OwnChange own(ownChanges_);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(L"");
    item.iImage = I_IMAGENONE;
    SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (checkBoxes_) {
        LVITEMW state{};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = kChecked;  // rows are made checked
        SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }
    return row;
}

void ListViewItemList::Clear() {
    rows_.Clear();
    OwnChange own(ownChanges_);
    SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
}

void ListViewItemList::SetCaption(int row, const std::string& caption) {
    rows_.SetCaption(row, caption);
    OwnChange own(ownChanges_);
    SetCellText(hwnd_, row, 0, Widen(caption));
}

void ListViewItemList::SetImageIndex(int row, int image) {
    rows_.SetImageIndex(row, image);
    OwnChange own(ownChanges_);
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = image < 0 ? I_IMAGENONE : image;
    SendMessageW(hwnd_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void ListViewItemList::AddSubItem(int row, const std::string& text) {
    rows_.AddSubItem(row, text);
    // Sub-item k fills column k + 1; one beyond the columns is kept, not shown.
    const int column = rows_.SubItemCount(row);
    if (column >= static_cast<int>(hiddenColumns_.size())) return;
    OwnChange own(ownChanges_);
    SetCellText(hwnd_, row, column, Widen(text));
}

void ListViewItemList::SetChecked(int row, bool checked) {
    rows_.SetChecked(row, checked);
    if (!checkBoxes_) return;
    OwnChange own(ownChanges_);
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = checked ? kChecked : kUnchecked;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

void ListViewItemList::FitColumns() {
    for (int column = 0; column < static_cast<int>(hiddenColumns_.size()); ++column) {
        if (IsHiddenColumn(column)) continue;
        SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
        // Some list views (Wine's) leave the caption cut short; never narrower than it.
        const int caption = static_cast<int>(
            SendMessageW(hwnd_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(captions_[column].c_str())));
        const int needed = caption + MulDiv(kHeaderPadding, dpi_, 96);
        if (SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, column, 0) < needed)
            SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, needed);
    }
}

bool ListViewItemList::IsHiddenColumn(int column) const {
    return column >= 0 && column < static_cast<int>(hiddenColumns_.size()) && hiddenColumns_[column];
}

bool ListViewItemList::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom == hwnd_ && header.code == LVN_ITEMCHANGED) {
        if (ownChanges_ > 0 || !checkBoxes_) return false;
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
            return false;
        if (change.iItem >= 0 && change.iItem < rows_.RowCount()) {
            rows_.SetChecked(change.iItem, (change.uNewState & LVIS_STATEIMAGEMASK) == kChecked);
        } else if (change.iItem == -1) {  // every row changed at once
            for (int row = 0; row < rows_.RowCount(); ++row) {
                const auto state = SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
                rows_.SetChecked(row, static_cast<UINT>(state) == kChecked);
            }
        }
        return false;
    }
    // The header of this list: the hidden item-number column stays hidden.
    if (header.hwndFrom != nullptr && GetParent(header.hwndFrom) == hwnd_) {
        switch (header.code) {
            case HDN_BEGINTRACKW:
            case HDN_BEGINTRACKA:
            case HDN_DIVIDERDBLCLICKW:
            case HDN_DIVIDERDBLCLICKA:
                if (IsHiddenColumn(reinterpret_cast<const NMHEADERW&>(header).iItem)) {
                    result = TRUE;
                    return true;
                }
                break;
            default: break;
        }
    }
    return false;
}

}  // namespace qmui
