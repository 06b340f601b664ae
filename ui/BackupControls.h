// The wizard window's controls for backups and undoing: the Undo button on
// the welcome page, "Keep a backup" on the description page, the backup's
// folder on the report page, and the undo page (page 7) with its list of
// backups, its Restore and Delete buttons and the restore's progress. Made
// hidden and placed in design units scaled to the screen, as the other
// pages' controls (ui/WizardPages.h); the logic is shell/UndoPage.h.
#pragma once

#include <windows.h>

#include "ui/WizardPages.h"

namespace qmui {

// Makes the controls, after the pages' own and before the button bar, so
// that each page's tab order runs from its own controls to the bar.
void BuildBackupControls(HWND window, const PageResources& resources, WizardControls& controls);

}  // namespace qmui
