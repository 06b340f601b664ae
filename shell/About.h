// The About box's logic, TfrmAbout: the version and the maker's two links.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace qm {

inline constexpr const char* kMakerWebAddress = "https://quellmar.example.org/";
inline constexpr const char* kMakerMailAddress = "support@quellmar.example.org";

class TfrmAbout {
public:
    // Fills the texts of the box.
    void FormShow();
    // Open the links with the shell (the default browser, the mail program);
    // a link the shell cannot open is ignored.
    void lab_webClick(HWND owner);
    void lab_emailClick(HWND owner);

    std::string lab_version;
    std::string lab_web;
    std::string lab_email;
};

}  // namespace qm
