// The About box's logic.
#include "shell/About.h"

#include "platform/Platform.h"

namespace qm {

void TfrmAbout::FormShow() {
    lab_web = kMakerWebAddress;
    lab_email = kMakerMailAddress;
    lab_version = "Version 1.2";
}

void TfrmAbout::lab_webClick(HWND owner) {
    CurrentPlatform().ShellExecuteA(owner, "open", kMakerWebAddress, nullptr, nullptr, SW_SHOW);
}

void TfrmAbout::lab_emailClick(HWND owner) {
    const std::string link = std::string("mailto:") + kMakerMailAddress;
    CurrentPlatform().ShellExecuteA(owner, "open", link.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace qm
