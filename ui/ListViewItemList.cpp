// An item list shown in a virtual report-style list view: its rows, their
// batches, its check boxes and the list view's notifications.
#include "ui/ListViewItemList.h"

#include <cwctype>

#include "ui/Win32Text.h"

namespace qmui {

namespace {

constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    for (size_t i = 0; prefix[i] != L'\0'; ++i)
        if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    return true;
}

}  // namespace

void ListViewItemList::Create(HWND parent, int id, const std::vector<ListColumn>& columns, bool checkBoxes,
                              HIMAGELIST images, HIMAGELIST checkImages, HFONT font, int dpi) {
    checkBoxes_ = checkBoxes;
    dpi_ = dpi;
    // Virtual: the control keeps no rows, only their count, selection and focus.
    hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                                LVS_SINGLESEL | LVS_SHAREIMAGELISTS,
                            0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    header_ = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    // No LVS_EX_CHECKBOXES: its check boxes live in the control's per-row
    // state, which a virtual list does not have.
    const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER;
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SetImages(images, checkImages);
    // The check boxes are asked for with the texts.
    if (checkBoxes) SendMessageW(hwnd_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);

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

void ListViewItemList::SetImages(HIMAGELIST images, HIMAGELIST checkImages) {
    SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    // Check boxes of the screen's size.
    if (checkBoxes_ && checkImages != nullptr)
        SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(checkImages));
}

int ListViewItemList::AddRow() { return rows_.AddRow(); }

void ListViewItemList::Clear() {
    rows_.Clear();
    shown_ = 0;
    redraw_ = false;
    wanted_.clear();
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
    if (rows_.Checked(row) == checked) return;
    rows_.SetChecked(row, checked);
    // A row still to come shows its check when it comes.
    if (checkBoxes_ && row < shown_) RedrawRow(row);
}

void ListViewItemList::RedrawRow(int row) {
    // Only rows in view: Select all over thousands of rows costs no repaint
    // requests for the rows nobody sees.
    const auto top = static_cast<int>(SendMessageW(hwnd_, LVM_GETTOPINDEX, 0, 0));
    const auto page = static_cast<int>(SendMessageW(hwnd_, LVM_GETCOUNTPERPAGE, 0, 0));
    if (row >= top && row <= top + page) SendMessageW(hwnd_, LVM_REDRAWITEMS, row, row);
}

void ListViewItemList::Flush() {
    const int total = rows_.RowCount();
    if (shown_ < total) {
        // One message for the whole batch; the rows in view are drawn when asked for.
        SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(total), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        shown_ = total;
    }
    if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
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
    if ((info.item.mask & LVIF_STATE) && checkBoxes_) {
        info.item.state = (info.item.state & ~LVIS_STATEIMAGEMASK) | (rows_.Checked(row) ? kChecked : kUnchecked);
        info.item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

void ListViewItemList::ToggleCheck(int row) {
    if (!checkBoxes_ || row < 0 || row >= shown_) return;
    rows_.SetChecked(row, !rows_.Checked(row));
    SendMessageW(hwnd_, LVM_REDRAWITEMS, row, row);
}

void ListViewItemList::OnClick(POINT point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    const auto row = static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0) return;
    // The check box stands just before the row's picture. Its bounds are
    // measured, not taken from the hit test's flags: with full-row
    // selection Wine says "on the state icon" anywhere on the row.
    RECT icon{};
    icon.left = LVIR_ICON;
    const auto states = reinterpret_cast<HIMAGELIST>(SendMessageW(hwnd_, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    int width = 0, height = 0;
    if (states == nullptr || !ImageList_GetIconSize(states, &width, &height) ||
        !SendMessageW(hwnd_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon)))
        return;
    if (point.x >= icon.left - width && point.x < icon.left) ToggleCheck(row);
}

void ListViewItemList::OnKeyDown(const NMLVKEYDOWN& key) {
    if (key.wVKey != VK_SPACE || (GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return;
    ToggleCheck(static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
}

int ListViewItemList::OnFindItem(const NMLVFINDITEMW& find) const {
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || find.lvfi.psz == nullptr) return -1;
    const int rows = shown_;
    if (rows == 0) return -1;
    const int start = find.iStart >= 0 && find.iStart < rows ? find.iStart : 0;
    const int span = (find.lvfi.flags & LVFI_WRAP) ? rows : rows - start;
    for (int i = 0; i < span; ++i) {
        const int row = (start + i) % rows;
        if (StartsWithNoCase(Widen(rows_.Caption(row)), find.lvfi.psz)) return row;
    }
    return -1;
}

bool ListViewItemList::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom == hwnd_) {
        // The notifications that carry answers are written into.
        NMHDR& writable = const_cast<NMHDR&>(header);
        switch (header.code) {
            case LVN_GETDISPINFOW: OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(writable)); return true;
            case NM_CUSTOMDRAW: result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(writable)); return true;
            case LVN_GETINFOTIPW: OnGetInfoTip(reinterpret_cast<NMLVGETINFOTIPW&>(writable)); return true;
            case LVN_ODFINDITEMW:
                result = OnFindItem(reinterpret_cast<const NMLVFINDITEMW&>(header));
                return true;
            case NM_CLICK:
            case NM_DBLCLK:  // the second click of a double click toggles again, as a check box does
                OnClick(reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction);
                return false;
            case LVN_KEYDOWN: OnKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header)); return false;
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
