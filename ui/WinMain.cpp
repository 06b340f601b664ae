// Quellmar.exe: the program entry on Windows. Installs the real platform,
// makes the wizard window, lets its logic choose the script and read its
// description, then runs the message loop until the window closes or the end
// of the program is requested.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "engine/ProgramEnd.h"
#include "platform/win32/Win32Platform.h"
#include "shell/Quarn_Main.h"
#include "ui/ControlIds.h"
#include "ui/Dpi.h"
#include "ui/MainWindow.h"
#include "ui/MessagePump.h"
#include "ui/Win32Text.h"

namespace {

// The command-line arguments after the program's name, as ANSI text.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(qmui::NarrowPath(words[i]));
    LocalFree(words);
    return arguments;
}

void EndMessageLoop() { PostQuitMessage(0); }

// Detaches the logic from the window before the logic goes.
class Attachment {
public:
    Attachment(qmui::MainWindow& window, qm::TFQuarnUninstall& wizard) : window_(window) { window.Attach(&wizard); }
    ~Attachment() { window_.Attach(nullptr); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    qmui::MainWindow& window_;
};

int Run(HINSTANCE instance, int showCommand) {
    qm::win32::Win32Platform platform;
    qm::SetCurrentPlatform(&platform);
    // No pump after every record: the wizard's logic lets the window handle
    // its messages at its own pace while a pass runs.
    qm::SetProgramEndProc(&EndMessageLoop);

    qmui::MainWindow window(instance);
    qm::TFQuarnUninstall wizard(window);
    const Attachment attachment(window, wizard);

    wizard.FormCreate(Arguments());
    // Dialog cancelled or script corrupt: the program ends without showing
    // its window.
    if (qm::ProgramEndRequested()) return 0;
    window.CreateAboutBox();
    window.Show(showCommand);
    return qmui::RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    qmui::BecomeDpiAware();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
    try {
        return Run(instance, showCommand);
    } catch (const std::exception& error) {
        MessageBoxW(nullptr, qmui::Widen(error.what()).c_str(), qmui::id::kMainTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
}
