// The controls of the wizard window: the seven pages of nbWizard and the
// button bar below them, made hidden and placed in design units scaled to the
// screen. Which of them show is the window's business (MainWindow).
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "shell/WizardView.h"
#include "ui/DescriptionView.h"
#include "ui/Fonts.h"
#include "ui/Layout.h"
#include "ui/ListViewItemList.h"
#include "ui/TabbedLists.h"

namespace qmui {

inline constexpr int kBarPage = -1;  // the button bar, shown with every page

struct PlacedControl {
    HWND hwnd = nullptr;
    int page = kBarPage;
    RECT base{};  // pixels, for the design client size at the window's DPI
    RECT made{};  // `base` when the control was made, at WizardControls::madeDpi
    unsigned anchors = kAnchorTopLeft;
    bool visible = true;  // the control's own Visible property
};

struct WizardControls {
    std::vector<PlacedControl> placed;  // in tab order
    int madeDpi = 96;                   // the DPI the controls were made for
    std::map<qm::Widget, size_t> byWidget;
    TabbedLists tabs;             // PgAllOperation and its five lists
    ListViewItemList report;      // AdvRaport
    ListViewItemList backups;     // AdvBackups (ui/BackupControls.h)
    DescriptionView description;  // htmlLite1
    HWND tooltip = nullptr;       // the buttons' hints
    Icon exitIcon, aboutIcon;
    ImageList nextImage;
    ImageList checkImages;  // the lists' check boxes, at the screen's size
};

struct PageResources {
    const UiFonts& fonts;
    Scaler scale;
    HIMAGELIST itemImages;
};

// Makes every control of the window, hidden, in tab order.
void BuildWizardPages(HWND window, const PageResources& resources, WizardControls& controls);
// The window moved to a screen of another DPI (resources.scale): new places
// (Relayout applies them), pictures and check boxes of that screen's size,
// and the lists' columns fitted again. The fonts are the window's business.
void RescaleWizardPages(HWND window, const PageResources& resources, WizardControls& controls);

}  // namespace qmui
