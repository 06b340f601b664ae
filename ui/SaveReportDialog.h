// The save dialog of the report page's "Save report..." button.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "shell/WizardView.h"

namespace qmui {

// `filter` is written "description|pattern|...". The dialog starts in
// `initialFolder` (empty: where the dialog chooses) and offers
// `suggestedName`, appends the chosen file type's extension to a name typed
// without one, and asks before replacing a file. Returns the file and the
// file type chosen, or nothing when cancelled.
std::optional<qm::ReportFileChoice> ChooseReportFileName(HWND owner, const std::string& initialFolder,
                                                         const std::string& suggestedName, const std::string& filter,
                                                         const std::string& title);

}  // namespace qmui
