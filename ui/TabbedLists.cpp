// PgAllOperation: the tabs of the five item lists.
#include "ui/TabbedLists.h"

#include <algorithm>
#include <vector>

#include "ui/ControlIds.h"
#include "ui/ListColumns.h"

namespace qmui {

namespace {

using qm::Widget;

struct TabInfo {
    Widget tab;
    Widget list;
    const wchar_t* caption;
    int tag;
    int image;
    int listId;
    bool checkBoxes;
};

constexpr TabInfo kTabs[] = {
    {Widget::TeTabReg, Widget::AdvListREG, L"Registry items", 1, qm::kPictureRegistryTab, id::AdvListREG, true},
    {Widget::TeTabDisck, Widget::AdvListDisck, L"Disk files", 2, qm::kPictureDiskTab, id::AdvListDisck, true},
    {Widget::TeTabIni, Widget::AdvListIni, L"INI files", 3, qm::kPictureIniTab, id::AdvListIni, true},
    {Widget::TeTabServers, Widget::AdvServers, L"Register / Unregister servers", 4, qm::kPictureServersTab, id::AdvServers, true},
    {Widget::TeTabRunProcess, Widget::AdvRuning, L"Running Processes", 5, qm::kPictureProcessTab, id::AdvRuning, false},
};
constexpr int kProcessTab = 4;


}  // namespace

void TabbedLists::Create(HWND parent, HIMAGELIST images, HIMAGELIST checkImages, HFONT font, int dpi) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    // A control parent: the dialog keys go on into the lists inside it.
    tab_ = CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
                           WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_GROUP | TCS_TABS | TCS_FOCUSNEVER, 0, 0,
                           10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::PgAllOperation)), instance,
                           nullptr);
    SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(tab_, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    // In the window's own long, not a property: every notification of the
    // lists passes here, and a property costs Wine a server call to read.
    SetWindowLongPtrW(tab_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    parent_ = parent;
    originalProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tab_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TabbedLists::TabProc)));

    label_ = CreateWindowExW(0, L"STATIC", L"Running processes (that will be killed):",
                             WS_CHILD | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, 0, 0, 10, 10, tab_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id::runningLabel)), instance, nullptr);
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    labelHeight_ = MulDiv(22, dpi, 96);

    for (int i = 0; i < kTabCount; ++i)
        lists_[i].Create(tab_, kTabs[i].listId, ColumnsOf(kTabs[i].list), kTabs[i].checkBoxes, images, checkImages,
                         font, dpi);
    Rebuild();
    Sync();
    LayoutLists();
}

void TabbedLists::SetDpi(int dpi, HIMAGELIST images, HIMAGELIST checkImages) {
    SendMessageW(tab_, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    labelHeight_ = MulDiv(22, dpi, 96);
    for (ListViewItemList& list : lists_) list.SetDpi(dpi, images, checkImages);
    LayoutLists();
}

ListViewItemList* TabbedLists::List(Widget list) {
    for (int i = 0; i < kTabCount; ++i)
        if (kTabs[i].list == list) return &lists_[i];
    return nullptr;
}

int TabbedLists::IndexOfTab(Widget tab) {
    for (int i = 0; i < kTabCount; ++i)
        if (kTabs[i].tab == tab) return i;
    return -1;
}

bool TabbedLists::IsTab(Widget widget) { return IndexOfTab(widget) >= 0; }

int TabbedLists::PositionOf(int index) const {
    if (index < 0 || !visible_[index]) return -1;
    return static_cast<int>(std::count(visible_.begin(), visible_.begin() + index, true));
}

void TabbedLists::SetTabVisible(Widget tab, bool visible) {
    const int index = IndexOfTab(tab);
    if (index < 0 || visible_[index] == visible) return;
    const int position = PositionOf(index);
    visible_[index] = visible;
    if (!visible && index == active_) {
        // As a page control does: the tab that takes the hidden one's place
        // becomes active, or the last one when it was the last.
        std::vector<int> shown;
        for (int i = 0; i < kTabCount; ++i)
            if (visible_[i]) shown.push_back(i);
        active_ = shown.empty() ? -1 : shown[std::min<size_t>(static_cast<size_t>(position), shown.size() - 1)];
    }
    Rebuild();
    Sync();
}

bool TabbedLists::TabVisible(Widget tab) const {
    const int index = IndexOfTab(tab);
    return index >= 0 && visible_[index];
}

void TabbedLists::Activate(Widget tab) {
    const int index = IndexOfTab(tab);
    if (index < 0) return;
    active_ = index;
    Sync();
}

int TabbedLists::ActiveTag() const { return active_ < 0 ? 0 : kTabs[active_].tag; }

void TabbedLists::OnSelectionChanged() {
    const auto position = SendMessageW(tab_, TCM_GETCURSEL, 0, 0);
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (position < 0 ||
        !SendMessageW(tab_, TCM_GETITEMW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item)))
        return;
    active_ = static_cast<int>(item.lParam);
    Sync();
}

bool TabbedLists::SelectNext(bool backwards) {
    std::vector<int> shown;
    for (int i = 0; i < kTabCount; ++i)
        if (visible_[i]) shown.push_back(i);
    if (shown.size() < 2 && (shown.empty() || shown.front() == active_)) return false;
    const int count = static_cast<int>(shown.size());
    const int position = PositionOf(active_);
    int next = 0;
    if (position < 0) {
        next = backwards ? count - 1 : 0;
    } else {
        next = (position + (backwards ? count - 1 : 1)) % count;
    }
    active_ = shown[static_cast<size_t>(next)];
    Sync();
    return true;
}

void TabbedLists::FlushLists() {
    for (ListViewItemList& list : lists_) list.Flush();
}

bool TabbedLists::OnNotify(const NMHDR& header, LRESULT& result) {
    for (ListViewItemList& list : lists_)
        if (list.OnNotify(header, result)) return true;
    return false;
}

void TabbedLists::Rebuild() {
    SendMessageW(tab_, TCM_DELETEALLITEMS, 0, 0);
    int position = 0;
    for (int i = 0; i < kTabCount; ++i) {
        if (!visible_[i]) continue;
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
        item.pszText = const_cast<wchar_t*>(kTabs[i].caption);
        item.iImage = kTabs[i].image;
        item.lParam = i;
        SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(position++), reinterpret_cast<LPARAM>(&item));
    }
    LayoutLists();  // the rows of tabs, and so the display area, may change
}

void TabbedLists::Sync() {
    SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(PositionOf(active_)), 0);
    // Hide first, then show, so the focus never rests on a hidden list.
    const HWND focus = GetFocus();
    for (int i = 0; i < kTabCount; ++i)
        if (i != active_) ShowWindow(lists_[i].hwnd(), SW_HIDE);
    ShowWindow(label_, active_ == kProcessTab ? SW_SHOWNA : SW_HIDE);
    if (active_ >= 0) ShowWindow(lists_[active_].hwnd(), SW_SHOWNA);
    if (focus != nullptr && !IsWindowVisible(focus) && active_ >= 0 && IsWindowVisible(tab_))
        SetFocus(lists_[active_].hwnd());
}

void TabbedLists::LayoutLists() {
    RECT area{};
    GetClientRect(tab_, &area);
    SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    const int width = std::max(0L, area.right - area.left), height = std::max(0L, area.bottom - area.top);
    for (int i = 0; i < kTabCount; ++i) {
        if (i == kProcessTab) {
            MoveWindow(label_, area.left + 2, area.top, width - 4, labelHeight_, TRUE);
            MoveWindow(lists_[i].hwnd(), area.left, area.top + labelHeight_, width, std::max(0, height - labelHeight_),
                       TRUE);
        } else {
            MoveWindow(lists_[i].hwnd(), area.left, area.top, width, height, TRUE);
        }
        lists_[i].Refit();
    }
}

LRESULT CALLBACK TabbedLists::TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TabbedLists*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const WNDPROC original = self->originalProc_;
    switch (message) {
        case WM_NOTIFY:
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
            // The window that holds the tab control answers for the controls inside it.
            return SendMessageW(self->parent_, message, wParam, lParam);
        case WM_SIZE: {
            const LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
            self->LayoutLists();
            return result;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return CallWindowProcW(original, hwnd, message, wParam, lParam);
        default: return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
}

}  // namespace qmui
