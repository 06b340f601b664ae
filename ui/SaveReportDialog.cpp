// The save dialog of the report page.
#include "ui/SaveReportDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/OpenScriptDialog.h"
#include "ui/Win32Text.h"

namespace qmui {

std::optional<qm::ReportFileChoice> ChooseReportFileName(HWND owner, const std::string& initialFolder,
                                                         const std::string& suggestedName, const std::string& filter,
                                                         const std::string& title) {
    const std::wstring folder = Widen(initialFolder);
    const std::wstring wideFilter = DialogFilter(Widen(filter));
    const std::wstring wideTitle = Widen(title);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring suggested = Widen(suggestedName);
    if (suggested.size() < file.size()) std::copy(suggested.begin(), suggested.end(), file.begin());

    OPENFILENAMEW dialog = DialogFields(owner, wideFilter, file, folder, wideTitle);
    // Non-empty, so that the chosen file type's extension is appended to a
    // name typed without one.
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   OFN_ENABLESIZING;
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;
    const std::wstring chosen(file.data());
    if (Widen(Narrow(chosen)) != chosen) {
        // The report is written through the ANSI functions, which reach a
        // name the code page cannot spell by its short name, and only a file
        // that exists has one. The user has already agreed to replace it.
        const HANDLE created = CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) CloseHandle(created);
    }
    return qm::ReportFileChoice{NarrowPath(chosen), static_cast<int>(dialog.nFilterIndex)};
}

}  // namespace qmui
