// The wizard window: the Win32 face of TFQuarnUninstall. It implements the
// view that the wizard's logic drives (WizardView) and hands the user's
// clicks to that logic.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "shell/Quarn_Main.h"
#include "shell/WizardView.h"
#include "ui/AboutBox.h"
#include "ui/Fonts.h"
#include "ui/GdiHandles.h"
#include "ui/Layout.h"
#include "ui/WizardPages.h"

namespace qmui {

class MainWindow : public qm::WizardView {
public:
    // Makes the window, centred and hidden, with all its controls, at the
    // DPI of the screen it is on.
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // The logic that the clicks go to; nullptr detaches it.
    void Attach(qm::TFQuarnUninstall* wizard) { wizard_ = wizard; }
    // frmAbout, made once at start-up and shown when asked.
    void CreateAboutBox();
    void Show(int showCommand);

    // ---- WizardView ----
    int PageIndex() const override { return page_; }
    void ShowPage(int page) override;
    void SetEnabled(qm::Widget widget, bool enabled) override;
    bool Enabled(qm::Widget widget) const override;
    void SetVisible(qm::Widget widget, bool visible) override;
    bool Visible(qm::Widget widget) const override;
    void SetCaption(qm::Widget widget, const std::string& caption) override;
    std::string Caption(qm::Widget widget) const override;
    bool Checked(qm::Widget widget) const override;
    qm::ItemList& List(qm::Widget list) override;
    int SelectedRow(qm::Widget list) const override;  // ui/BackupControls.cpp
    void SelectRow(qm::Widget list, int row) override;
    void SetTabVisible(qm::Widget tab, bool visible) override;
    void ActivateTab(qm::Widget tab) override;
    int ActiveTabTag() const override;
    void SetProgress(qm::Widget bar, int position) override;
    void SetProgressMax(qm::Widget bar, int maximum) override;
    void SetAnimating(qm::Widget infiniteProgress, bool animating) override;
    void LoadDescription(const std::string& html) override;
    void ProcessMessages() override;
    void UpdateLists() override;
    bool Confirm(const std::string& question) override;
    std::optional<std::string> ChooseScript(const std::string& initialFolder, const std::string& filter,
                                            const std::string& title) override;
    std::optional<qm::ReportFileChoice> ChooseReportFile(const std::string& initialFolder,
                                                         const std::string& suggestedName, const std::string& filter,
                                                         const std::string& title) override;
    void ShowError(const std::string& text) override;
    void ShowAbout() override;
    void AnchorPages() override;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool PreTranslate(void* context, MSG& message);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void OnNextDialogControl(WPARAM wParam, LPARAM lParam);
    int DefaultButton() const;

    // Runs one of the logic's handlers; a close asked for meanwhile waits
    // until the handler (and the pass it runs) has returned.
    void Run(void (qm::TFQuarnUninstall::*handler)());
    void RequestClose();

    const PlacedControl* Find(qm::Widget widget) const;
    // The list view of a list widget whose rows can be chosen, or nullptr.
    HWND ListControl(qm::Widget list) const;
    PlacedControl* Find(qm::Widget widget);
    void ApplyVisibility(const PlacedControl& control) const;
    void Relayout();
    // Puts the keyboard focus back on a control that can take it.
    void FixFocus();
    // After a page change: the focus on Next (Back when Next is disabled),
    // so Enter goes on.
    void FocusForward();
    // The default-button look on the push button that has the focus, and on
    // Next while no push button has it.
    void UpdateDefaultLook();
    // The window is on a screen of another DPI (WM_DPICHANGED): fonts,
    // pictures and places of that DPI, in the rectangle Windows suggests
    // (centred on the work area when none is given).
    void OnDpiChanged(int dpi, const RECT* suggested);

    HINSTANCE instance_;
    Scaler scale_;
    UiFonts fonts_;
    HWND hwnd_ = nullptr;
    ImageList itemImages_;
    Icon bigIcon_, smallIcon_;
    WizardControls controls_;
    std::unique_ptr<AboutBox> about_;
    qm::TFQuarnUninstall* wizard_ = nullptr;
    std::map<qm::Widget, std::string> captions_;
    std::map<qm::Widget, bool> listVisible_;
    int page_ = 0;
    bool anchored_ = false;
    int busy_ = 0;
    bool closePending_ = false;
    bool pageChanged_ = false;  // since the running handler began
    HWND savedFocus_ = nullptr;
    HWND parkedFocus_ = nullptr;  // where FixFocus put the focus when no better control could take it
    SIZE minimumSize_{};
};

}  // namespace qmui
