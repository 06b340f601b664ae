// PgAllOperation: a tab control whose five tabs (tags 1 to 5) each show one
// of the item lists. Tabs are shown and hidden one by one; the lists and the
// running-process tab's label are children of the tab control, which hands
// their notifications on to the window that holds it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>

#include "shell/WizardView.h"
#include "ui/ListViewItemList.h"

namespace qmui {

class TabbedLists {
public:
    TabbedLists() = default;
    TabbedLists(const TabbedLists&) = delete;
    TabbedLists& operator=(const TabbedLists&) = delete;

    void Create(HWND parent, HIMAGELIST images, HIMAGELIST checkImages, HFONT font, int dpi);
    HWND hwnd() const { return tab_; }
    // The tabs moved to a screen of another DPI (see ListViewItemList::SetDpi).
    void SetDpi(int dpi, HIMAGELIST images, HIMAGELIST checkImages);

    // The list of one of the five item-list widgets, or nullptr.
    ListViewItemList* List(qm::Widget list);
    static bool IsTab(qm::Widget widget);
    void SetTabVisible(qm::Widget tab, bool visible);
    bool TabVisible(qm::Widget tab) const;
    void Activate(qm::Widget tab);
    // The tag of the active tab; 0 when no tab is active.
    int ActiveTag() const;

    // The user chose a tab with the mouse or the arrow keys (TCN_SELCHANGE).
    void OnSelectionChanged();
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous visible tab becomes
    // active. False when there is no other tab to go to.
    bool SelectNext(bool backwards);
    // Gives every list the rows added since the last flush.
    void FlushLists();
    // Notifications of the lists; see ListViewItemList::OnNotify.
    bool OnNotify(const NMHDR& header, LRESULT& result);

private:
    static constexpr int kTabCount = 5;
    static int IndexOfTab(qm::Widget tab);
    int PositionOf(int index) const;  // among the visible tabs, or -1
    void Rebuild();
    void Sync();
    void LayoutLists();
    static LRESULT CALLBACK TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND tab_ = nullptr;
    HWND parent_ = nullptr;  // the window that answers for the lists
    HWND label_ = nullptr;  // "Running processes (that will be killed):"
    WNDPROC originalProc_ = nullptr;
    std::array<ListViewItemList, kTabCount> lists_;
    std::array<bool, kTabCount> visible_{true, true, true, true, true};
    int active_ = 0;  // index into the tab table, -1 for none
    int labelHeight_ = 0;
};

}  // namespace qmui
