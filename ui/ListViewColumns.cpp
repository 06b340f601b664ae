// An item list's columns: their widths fitted to the list's width, the
// object cells drawn with the middle of a long path left out, and the row's
// tooltip with its whole texts.
#include <algorithm>
#include <numeric>

#include "ui/GdiHandles.h"
#include "ui/ListViewItemList.h"

namespace qmui {

namespace {

constexpr int kCellMargin = 6;      // a cell's text from its edges, design units
constexpr int kHeaderPadding = 18;  // a header item's margins, design units
constexpr int kMeasuredRows = 48;   // per column, the rows with the longest texts

}  // namespace

int ListViewItemList::AvailableWidth() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    int width = client.right - client.left;
    // The vertical scroll bar that the rows will need takes its share now.
    if (!(GetWindowLongW(hwnd_, GWL_STYLE) & WS_VSCROLL)) {
        RECT first{};
        first.left = LVIR_BOUNDS;
        const int rowHeight = rows_.RowCount() > 0 && SendMessageW(hwnd_, LVM_GETITEMRECT, 0,
                                                                    reinterpret_cast<LPARAM>(&first))
                                  ? first.bottom - first.top
                                  : MulDiv(18, dpi_, 96);
        if (static_cast<long long>(rowHeight) * (rows_.RowCount() + 1) > client.bottom - client.top)
            width -= GetSystemMetrics(SM_CXVSCROLL);
    }
    return std::max(0, width);
}

void ListViewItemList::FitColumns() {
    Flush();
    const int columns = static_cast<int>(columns_.size());
    wanted_.assign(columns_.size(), 0);
    ScreenDC screen;
    Selected font(screen.get(), reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    auto measure = [&](const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int rows = rows_.RowCount();
    for (int column = 0; column < columns; ++column) {
        if (IsHiddenColumn(column)) continue;
        // Only the rows with the most characters are measured: thousands of
        // rows cost no more than a few dozen.
        std::vector<std::pair<size_t, int>> longest;
        for (int row = 0; row < rows; ++row) {
            const size_t length = column == 0 ? rows_.Caption(row).size()
                                  : column - 1 < rows_.SubItemCount(row) ? rows_.SubItem(row, column - 1).size()
                                                                         : 0;
            longest.emplace_back(length, row);
        }
        const size_t kept = std::min<size_t>(longest.size(), kMeasuredRows);
        std::partial_sort(longest.begin(), longest.begin() + static_cast<long>(kept), longest.end(),
                          [](const auto& a, const auto& b) { return a.first > b.first; });
        int widest = 0;
        for (size_t i = 0; i < kept; ++i) widest = std::max(widest, measure(CellText(longest[i].second, column)));
        widest += 2 * MulDiv(kCellMargin, dpi_, 96);  // as DrawObjectCell takes them off
        if (column == 0) {  // the check box and the picture stand before the caption
            widest += MulDiv(16 + 4, dpi_, 96);
            if (checkBoxes_) widest += MulDiv(16 + 4, dpi_, 96);
        }
        wanted_[static_cast<size_t>(column)] =
            std::max(widest, measure(captions_[static_cast<size_t>(column)]) + MulDiv(kHeaderPadding, dpi_, 96));
    }
    ApplyWidths();
}

void ListViewItemList::SetDpi(int dpi, HIMAGELIST images, HIMAGELIST checkImages) {
    dpi_ = dpi;
    SetImages(images, checkImages);
    if (!wanted_.empty()) {
        FitColumns();
        return;
    }
    for (size_t column = 0; column < columns_.size(); ++column)
        SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column,
                     columns_[column].role == qm::ColumnRole::Hidden ? 0 : MulDiv(columns_[column].width, dpi, 96));
}

void ListViewItemList::Refit() {
    if (!wanted_.empty()) ApplyWidths();
}

void ListViewItemList::ApplyWidths() {
    std::vector<qm::ColumnNeed> needs;
    for (size_t column = 0; column < columns_.size(); ++column)
        needs.push_back({columns_[column].role, wanted_[column], MulDiv(48, dpi_, 96)});
    const std::vector<int> widths = qm::FitColumnWidths(needs, AvailableWidth());
    for (size_t column = 0; column < widths.size(); ++column)
        SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, widths[column]);
}

LRESULT ListViewItemList::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            if (!IsObjectColumn(draw.iSubItem)) return CDRF_DODEFAULT;
            DrawObjectCell(draw);
            return CDRF_SKIPDEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

void ListViewItemList::DrawObjectCell(const NMLVCUSTOMDRAW& draw) {
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    RECT cell{};
    cell.top = draw.iSubItem;
    cell.left = LVIR_BOUNDS;
    if (!SendMessageW(hwnd_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell))) return;
    const bool selected =
        (SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool focused = GetFocus() == hwnd_;
    const int back = selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    const int fore = selected ? (focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT) : COLOR_WINDOWTEXT;
    FillRect(draw.nmcd.hdc, &cell, GetSysColorBrush(back));
    SetBkMode(draw.nmcd.hdc, TRANSPARENT);
    SetTextColor(draw.nmcd.hdc, GetSysColor(fore));
    const std::wstring text = CellText(row, draw.iSubItem);
    RECT box = cell;
    InflateRect(&box, -MulDiv(kCellMargin, dpi_, 96), 0);
    // "C:\WINDOWS\...\pest.dll": the start and the name stay.
    DrawTextW(draw.nmcd.hdc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
}

void ListViewItemList::OnGetInfoTip(NMLVGETINFOTIPW& tip) const {
    if (tip.pszText == nullptr || tip.cchTextMax <= 0) return;
    // Every shown column of the row, whole: "Path: C:\WINDOWS\system32\".
    std::wstring text;
    for (int column = 1; column < static_cast<int>(columns_.size()); ++column) {
        if (IsHiddenColumn(column)) continue;
        const std::wstring cell = CellText(tip.iItem, column);
        if (cell.empty() || cell == L"*") continue;
        if (!text.empty()) text += L"\r\n";
        text += captions_[static_cast<size_t>(column)] + L": " + cell;
    }
    lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
}

}  // namespace qmui
