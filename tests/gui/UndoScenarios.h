// The GUI test's scenario of undoing a cleanup from the window: the Undo
// button on the welcome page, the list of backups, a restore with its
// question and its report, Back to the list, and deleting a backup.
#pragma once

#include "tests/gui/GuiProbe.h"

namespace gui {

// On the welcome page, after cleanups that kept backups of `script` (a part
// of its path). Restores the newest backup; `cleanupUndone` tells whether
// the machine shows the pest again. Takes the pictures "9-undo" and
// "10-restore-report". Ends on the welcome page.
void UndoTheLatestCleanup(Probe& probe, const std::wstring& script, bool (*cleanupUndone)());

}  // namespace gui
