// The GUI test's scenario of saving the report from the report page: the
// save dialog with the name it offers, a report saved as JSON by choosing
// the file type, one saved as text, and replacing a file only after asking.
#pragma once

#include "tests/gui/GuiProbe.h"

namespace gui {

// On the report page of a cleanup whose report names `pest` (a part of a
// path). Takes the picture "6c-save-report". Stays on the report page.
void SaveTheReport(Probe& probe, const std::wstring& pest);

}  // namespace gui
