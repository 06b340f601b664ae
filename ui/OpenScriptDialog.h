// TeOpenDialog1: the open dialog in which the user picks a removal script.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <optional>
#include <string>
#include <vector>

namespace qmui {

// `filter` is written "description|pattern|description|pattern...". The
// dialog starts in `initialFolder`, allows only existing files and shows its
// read-only box checked. Returns the chosen file, or nothing when cancelled.
std::optional<std::string> ChooseScriptFile(HWND owner, const std::string& initialFolder, const std::string& filter,
                                            const std::string& title);

// The filter as the dialog takes it: each '|' becomes a zero, and the whole
// ends with two zeros.
std::wstring DialogFilter(const std::wstring& filter);

// The fields that the open and the save dialog share. The strings and the
// file buffer must outlive the dialog; an empty folder leaves the choice to
// the dialog.
OPENFILENAMEW DialogFields(HWND owner, const std::wstring& filter, std::vector<wchar_t>& file,
                           const std::wstring& folder, const std::wstring& title);

}  // namespace qmui
