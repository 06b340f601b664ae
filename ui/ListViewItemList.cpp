// An item list shown in a report-style list view: its rows, their batches
// and the list view's notifications.
#include "ui/ListViewItemList.h"

#include "ui/Win32Text.h"

namespace qmui {

namespace {

constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);

// Holds a list view's drawing for the length of a batch.
class RedrawHeld {
public:
    explicit RedrawHeld(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawHeld() {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, FALSE);
    }
    RedrawHeld(const RedrawHeld&) = delete;
    RedrawHeld& operator=(const RedrawHeld&) = delete;

private:
    HWND list_;
};

}  // namespace

void ListViewItemList::Create(HWND parent, int id, const std::vector<ListColumn>& columns, bool checkBoxes,
                              HIMAGELIST images, HIMAGELIST checkImages, HFONT font, int dpi) {
    checkBoxes_ = checkBoxes;
    dpi_ = dpi;
    hwnd_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS, 0, 0,
        10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    header_ = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER;
    if (checkBoxes) extended |= LVS_EX_CHECKBOXES;
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    if (checkBoxes && checkImages != nullptr) {
        // Check boxes of the screen's size; the control's own are 16 pixels at any DPI.
        const auto own = reinterpret_cast<HIMAGELIST>(
            SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(checkImages)));
        if (own != nullptr && own != checkImages) ImageList_Destroy(own);
    }

    columns_ = columns;
    captions_.clear();
    for (const ListColumn& column : columns) {
        const std::wstring caption = Widen(column.caption);
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        lvc.pszText = const_cast<wchar_t*>(caption.c_str());
        lvc.cx = column.role == qm::ColumnRole::Hidden ? 0 : MulDiv(column.width, dpi, 96);
        lvc.iSubItem = static_cast<int>(captions_.size());
        SendMessageW(hwnd_, LVM_INSERTCOLUMNW, captions_.size(), reinterpret_cast<LPARAM>(&lvc));
        captions_.push_back(caption);
    }
}

int ListViewItemList::AddRow() { return rows_.AddRow(); }

void ListViewItemList::Clear() {
    rows_.Clear();
    shown_ = 0;
    redraw_ = false;
    wanted_.clear();
    OwnChange own(ownChanges_);
    SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
}

void ListViewItemList::SetCaption(int row, const std::string& caption) {
    rows_.SetCaption(row, caption);
    if (row < shown_) redraw_ = true;
}

void ListViewItemList::SetImageIndex(int row, int image) {
    rows_.SetImageIndex(row, image);
    if (row < shown_) redraw_ = true;
}

void ListViewItemList::AddSubItem(int row, const std::string& text) {
    rows_.AddSubItem(row, text);
    if (row < shown_) redraw_ = true;
}

void ListViewItemList::SetChecked(int row, bool checked) {
    rows_.SetChecked(row, checked);
    if (!checkBoxes_ || row >= shown_) return;  // a row still to come gets its check with it
    OwnChange own(ownChanges_);
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = checked ? kChecked : kUnchecked;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

void ListViewItemList::Flush() {
    const int total = rows_.RowCount();
    if (shown_ >= total) {
        if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
        redraw_ = false;
        return;
    }
    OwnChange own(ownChanges_);
    const RedrawHeld held(hwnd_);
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(total), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    // Texts and pictures are asked for when drawn.
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    bool allChecked = true;
    for (int row = shown_; row < total; ++row) {
        item.iItem = row;
        SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (int row = 0; row < total && allChecked; ++row) allChecked = rows_.Checked(row);
    if (checkBoxes_) {
        // A new row comes unchecked; rows are made checked, so mostly one
        // message checks them all.
        LVITEMW state{};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = kChecked;
        if (allChecked) {
            SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        } else {
            for (int row = shown_; row < total; ++row) {
                state.state = rows_.Checked(row) ? kChecked : kUnchecked;
                SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
            }
        }
    }
    shown_ = total;
    redraw_ = false;
}

bool ListViewItemList::IsHiddenColumn(int column) const {
    return column >= 0 && column < static_cast<int>(columns_.size()) &&
           columns_[static_cast<size_t>(column)].role == qm::ColumnRole::Hidden;
}

bool ListViewItemList::IsObjectColumn(int column) const {
    return column >= 0 && column < static_cast<int>(columns_.size()) &&
           columns_[static_cast<size_t>(column)].role == qm::ColumnRole::Object;
}

std::wstring ListViewItemList::CellText(int row, int column) const {
    if (row < 0 || row >= rows_.RowCount()) return {};
    if (column == 0) return Widen(rows_.Caption(row));
    // Sub-item k fills column k + 1; one beyond the columns is kept, not shown.
    if (column - 1 >= rows_.SubItemCount(row)) return {};
    return Widen(rows_.SubItem(row, column - 1));
}

void ListViewItemList::OnGetDisplayInfo(NMLVDISPINFOW& info) {
    const int row = info.item.iItem;
    if (row < 0 || row >= rows_.RowCount()) return;
    if ((info.item.mask & LVIF_TEXT) && info.item.pszText != nullptr && info.item.cchTextMax > 0) {
        textBuffer_ = CellText(row, info.item.iSubItem);
        lstrcpynW(info.item.pszText, textBuffer_.c_str(), info.item.cchTextMax);
    }
    if ((info.item.mask & LVIF_IMAGE) && info.item.iSubItem == 0) {
        const int image = rows_.ImageIndex(row);
        info.item.iImage = image < 0 ? I_IMAGENONE : image;
    }
}

void ListViewItemList::OnUserCheck(const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK)) return;
    if (change.iItem >= 0 && change.iItem < shown_) {
        rows_.SetChecked(change.iItem, (change.uNewState & LVIS_STATEIMAGEMASK) == kChecked);
    } else if (change.iItem == -1) {  // every row changed at once
        for (int row = 0; row < shown_; ++row) {
            const auto state = SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
            rows_.SetChecked(row, static_cast<UINT>(state) == kChecked);
        }
    }
}

bool ListViewItemList::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom == hwnd_) {
        // The notifications that carry answers are written into.
        NMHDR& writable = const_cast<NMHDR&>(header);
        switch (header.code) {
            case LVN_GETDISPINFOW: OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(writable)); return true;
            case NM_CUSTOMDRAW: result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(writable)); return true;
            case LVN_GETINFOTIPW: OnGetInfoTip(reinterpret_cast<NMLVGETINFOTIPW&>(writable)); return true;
            case LVN_DELETEALLITEMS: result = TRUE; return true;  // no notification for each row
            case LVN_ITEMCHANGED:
                if (ownChanges_ == 0 && checkBoxes_) OnUserCheck(reinterpret_cast<const NMLISTVIEW&>(header));
                return false;
            default: return false;
        }
    }
    // The header of this list: the hidden item-number column stays hidden.
    if (header.hwndFrom != nullptr && header.hwndFrom == header_) {
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
