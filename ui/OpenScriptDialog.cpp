// TeOpenDialog1: the open dialog.
#include "ui/OpenScriptDialog.h"

#include <commdlg.h>

#include <vector>

#include "ui/Win32Text.h"

namespace qmui {

std::wstring DialogFilter(const std::wstring& filter) {
    std::wstring result = filter;
    for (wchar_t& c : result)
        if (c == L'|') c = L'\0';
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

OPENFILENAMEW DialogFields(HWND owner, const std::wstring& filter, std::vector<wchar_t>& file,
                           const std::wstring& folder, const std::wstring& title) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    return dialog;
}

std::optional<std::string> ChooseScriptFile(HWND owner, const std::string& initialFolder, const std::string& filter,
                                            const std::string& title) {
    const std::wstring wideFilter = DialogFilter(Widen(filter));
    const std::wstring folder = Widen(initialFolder);
    const std::wstring wideTitle = Widen(title);
    std::vector<wchar_t> file(32768, L'\0');

    OPENFILENAMEW dialog = DialogFields(owner, wideFilter, file, folder, wideTitle);
    dialog.Flags = OFN_EXPLORER | OFN_READONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return NarrowPath(std::wstring(file.data()));
}

}  // namespace qmui
