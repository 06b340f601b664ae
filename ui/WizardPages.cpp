// The controls of the wizard window's pages and button bar.
#include "ui/WizardPages.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <utility>

#include "ui/BackupControls.h"
#include "ui/ControlIds.h"
#include "ui/ListColumns.h"
#include "ui/Pictures.h"

namespace qmui {

namespace {

using qm::Widget;

const wchar_t kWelcomeText[] =
    L"This program is provided to all our users free of charge. It was designed to help you get rid of some of "
    L"the most important spyware, malware and trojans available today. We developed it based on your feedback.";
const wchar_t kSupportText[] = L"This program is provided to you free of charge. No customer support is available.";
const wchar_t kNoteText[] =
    L"The current verison of this program is only able to remove the pests displayed on the next page of this "
    L"wizard. Please click the \"Next\" button in order to view this list of malware.";

// Makes controls and records where they stand.
class PageBuilder {
public:
    PageBuilder(HWND window, const PageResources& resources, WizardControls& controls)
        : window_(window),
          instance_(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE))),
          resources_(resources),
          controls_(controls) {}

    const Scaler& scale() const { return resources_.scale; }
    const UiFonts& fonts() const { return resources_.fonts; }

    HWND Make(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id, HFONT font) {
        HWND hwnd = CreateWindowExW(exStyle, className, text, WS_CHILD | style, 0, 0, 0, 0, window_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : fonts().normal.get()), FALSE);
        return hwnd;
    }

    void Place(int page, HWND hwnd, const RECT& pixels, unsigned anchors, std::optional<Widget> widget = {}) {
        PlacedControl placed;
        placed.hwnd = hwnd;
        placed.page = page;
        placed.base = pixels;
        placed.made = pixels;
        placed.anchors = anchors;
        if (widget) controls_.byWidget[*widget] = controls_.placed.size();
        controls_.placed.push_back(placed);
        MoveWindow(hwnd, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, FALSE);
    }

    HWND Text(int page, int id, const wchar_t* text, const DesignRect& where, unsigned anchors, HFONT font = nullptr,
              DWORD style = SS_LEFT, std::optional<Widget> widget = {}) {
        HWND hwnd = Make(L"STATIC", text, style | SS_NOPREFIX, 0, id, font);
        Place(page, hwnd, scale()(where), anchors, widget);
        return hwnd;
    }

    // A paragraph under the previous one, as high as its wrapped text.
    void Paragraph(int page, int id, const wchar_t* text, HFONT font, int left, int width, int& top, int gapAfter) {
        const int height = TextHeight(font, text, scale()(width)) + 2;
        HWND hwnd = Make(L"STATIC", text, SS_LEFT | SS_NOPREFIX, 0, id, font);
        Place(page, hwnd, {scale()(left), top, scale()(left + width), top + height}, kAnchorTopWide);
        top += height + scale()(gapAfter);
    }

    HWND Button(int page, int id, const wchar_t* text, DWORD style, const DesignRect& where, unsigned anchors,
                Widget widget) {
        HWND hwnd = Make(L"BUTTON", text, style, 0, id, nullptr);
        Place(page, hwnd, scale()(where), anchors, widget);
        return hwnd;
    }

    HWND Progress(int page, int id, DWORD style, const DesignRect& where, Widget widget) {
        HWND hwnd = Make(PROGRESS_CLASSW, L"", style, 0, id, nullptr);
        Place(page, hwnd, scale()(where), kAnchorTopWide, widget);
        return hwnd;
    }

    void Hint(HWND control, const wchar_t* text) {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<wchar_t*>(text);
        SendMessageW(controls_.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    HWND window() const { return window_; }
    HINSTANCE instance() const { return instance_; }
    WizardControls& controls() { return controls_; }
    HIMAGELIST itemImages() const { return resources_.itemImages; }

private:
    HWND window_;
    HINSTANCE instance_;
    const PageResources& resources_;
    WizardControls& controls_;
};

constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;
// The window follows the buttons' focus for the default-button look.
constexpr DWORD kPush = BS_PUSHBUTTON | BS_NOTIFY;

void BuildWelcomePage(PageBuilder& b) {
    const int page = qm::kPagePreclama;
    b.Text(page, id::welcomePicture, L"", {0, 0, kPictureWidth, kNotebookHeight}, kAnchorLeftTall, nullptr,
           SS_OWNERDRAW);
    const int left = kPictureWidth + 24, width = kClientWidth - left - 20;
    int top = b.scale()(28);
    b.Paragraph(page, id::welcomeHeading, L"Welcome!", b.fonts().heading.get(), left, width, top, 14);
    b.Paragraph(page, id::welcomeText, kWelcomeText, b.fonts().normal.get(), left, width, top, 10);
    b.Paragraph(page, id::supportText, kSupportText, b.fonts().normal.get(), left, width, top, 22);
    b.Paragraph(page, id::noteHeading, L"Important note:", b.fonts().bold.get(), left, width, top, 6);
    b.Paragraph(page, id::noteText, kNoteText, b.fonts().normal.get(), left, width, top, 0);
}

void BuildDescriptionPage(PageBuilder& b) {
    const int page = qm::kPagePDescriere;
    WizardControls& c = b.controls();
    c.description.Create(b.window(), id::htmlLite1, b.fonts().faceName, b.fonts().pointSize);
    c.description.SetDpi(b.scale().dpi());
    b.Place(page, c.description.hwnd(), b.scale()({10, 10, 672, 276}), kAnchorAll, Widget::htmlLite1);
    HWND automatic = b.Button(
        page, id::rbAuto, L"&Automatic uninstallation (every spyware trace will be removed without asking you)",
        BS_AUTORADIOBUTTON | BS_MULTILINE | BS_NOTIFY | kTabStop, {14, 290, 664, 30}, kAnchorBottomWide, Widget::rbAuto);
    SendMessageW(automatic, BM_SETCHECK, BST_CHECKED, 0);
    b.Button(page, id::rbCustom,
             L"&Custom uninstallation (you will be prompted to select which of the detected spyware items should be "
             L"removed)",
             BS_AUTORADIOBUTTON | BS_MULTILINE | BS_NOTIFY, {14, 322, 664, 30}, kAnchorBottomWide, Widget::rbCustom);
    b.Button(page, id::CBaboutblank, L"&Restore Internet Explorer's default starting location about:blank.",
             BS_AUTOCHECKBOX | BS_MULTILINE | BS_NOTIFY | kTabStop, {14, 360, 664, 24}, kAnchorBottomWide, Widget::CBaboutblank);
}

// The detection and the removal pages look alike.
struct PassPage {
    int page;
    int headingId;
    const wchar_t* heading;
    int infiniteId, barId, operationId, pathId;
    Widget infinite, bar, operation, path;
};

void BuildPassPage(PageBuilder& b, const PassPage& p) {
    b.Text(p.page, p.headingId, p.heading, {40, 60, 612, 34}, kAnchorTopWide, b.fonts().heading.get());
    b.Progress(p.page, p.infiniteId, PBS_MARQUEE, {40, 116, 612, 14}, p.infinite);
    b.Progress(p.page, p.barId, PBS_SMOOTH, {40, 146, 612, 22}, p.bar);
    b.Text(p.page, p.operationId, L"", {40, 186, 612, 18}, kAnchorTopWide, nullptr, SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS,
           p.operation);
    // Drawn by the window, with the middle of a long path left out.
    b.Text(p.page, p.pathId, L"", {40, 208, 612, 18}, kAnchorTopWide, nullptr, SS_OWNERDRAW, p.path);
}

void BuildChoicePage(PageBuilder& b) {
    const int page = qm::kPagePAlegere;
    WizardControls& c = b.controls();
    c.tabs.Create(b.window(), b.itemImages(), c.checkImages.get(), b.fonts().normal.get(), b.scale().dpi());
    b.Place(page, c.tabs.hwnd(), b.scale()({10, 10, 672, 302}), kAnchorAll, Widget::PgAllOperation);
    b.Button(page, id::bCheckall, L"Select &all", kPush | kTabStop, {10, 322, 110, 26}, kAnchorBottomLeft,
             Widget::bCheckall);
    b.Button(page, id::bUncheckall, L"Select n&one", kPush | kTabStop, {10, 354, 110, 26}, kAnchorBottomLeft,
             Widget::bUncheckall);
    b.Text(page, id::lbFound, L"", {140, 320, 542, 100}, kAnchorBottomWide, nullptr, SS_LEFT, Widget::lbFound);
}

void BuildReportPage(PageBuilder& b) {
    const int page = qm::kPagePRaport;
    WizardControls& c = b.controls();
    b.Text(page, id::reportHeading, L"Raport", {10, 8, 672, 28}, kAnchorTopWide, b.fonts().heading.get());
    b.Text(page, id::lbSummary, L"", {10, 40, 672, 20}, kAnchorTopWide, b.fonts().bold.get(),
           SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS, Widget::lbSummary);
    c.report.Create(b.window(), id::AdvRaport, ColumnsOf(Widget::AdvRaport), false, b.itemImages(), nullptr,
                    b.fonts().normal.get(), b.scale().dpi());
    b.Place(page, c.report.hwnd(), b.scale()({10, 64, 672, 316}), kAnchorAll, Widget::AdvRaport);
    b.Button(page, id::bSaveReport, L"&Save report...", kPush | kTabStop, {10, 390, 120, 28}, kAnchorBottomLeft,
             Widget::bSaveReport);
    b.Button(page, id::bRetry, L"&Retry", kPush | kTabStop, {582, 390, 100, 28}, kAnchorBottomRight,
             Widget::bRetry);
    c.placed.back().visible = false;  // until a removal pass fails
}

void BuildNothingFoundPage(PageBuilder& b) {
    const int page = qm::kPagePspecial;
    b.Text(page, id::nothingPicture, L"", {0, 0, kPictureWidth, kNotebookHeight}, kAnchorLeftTall, nullptr,
           SS_OWNERDRAW);
    const int left = kPictureWidth + 24;
    b.Text(page, id::nothingText, L"No spyware, adware or malware infection detected on your computer...",
           {left, 40, kClientWidth - left - 20, 90}, kAnchorTopWide, b.fonts().heading.get());
}

// The pictures of Exit, About and Next, at the screen's size. The buttons
// take the new pictures before the old ones go.
void SetButtonPictures(HWND window, const Scaler& scale, WizardControls& c) {
    const int iconSize = scale(kButtonIcon);
    Icon exitIcon = MakeIcon(Glyph::Exit, iconSize), aboutIcon = MakeIcon(Glyph::About, iconSize);
    SendMessageW(GetDlgItem(window, id::btnExit), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(exitIcon.get()));
    SendMessageW(GetDlgItem(window, id::TeButton2), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(aboutIcon.get()));
    // The arrow at the right of "Next"; only common controls 6 draw it.
    ImageList nextImage = MakeSingleImage(Glyph::NextArrow, scale(kSmallIcon));
    BUTTON_IMAGELIST arrow{};
    arrow.himl = nextImage.get();
    arrow.margin = {scale(2), 0, scale(6), 0};
    arrow.uAlign = BUTTON_IMAGELIST_ALIGN_RIGHT;
    SendMessageW(GetDlgItem(window, id::bNext), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&arrow));
    c.exitIcon = std::move(exitIcon);
    c.aboutIcon = std::move(aboutIcon);
    c.nextImage = std::move(nextImage);
}

void BuildButtonBar(PageBuilder& b) {
    WizardControls& c = b.controls();
    // Drawn by the window: an etched line as thick as the screen's DPI asks.
    HWND line = b.Make(L"STATIC", L"", SS_OWNERDRAW, 0, id::barSeparator, nullptr);
    b.Place(kBarPage, line, b.scale()({0, kNotebookHeight, kClientWidth, 2}), kAnchorBottomWide);

    HWND back = b.Button(kBarPage, id::bBack, L"&Back", kPush | kTabStop, {482, 437, 95, 28},
                         kAnchorBottomRight, Widget::bBack);
    HWND next = b.Button(kBarPage, id::bNext, L"&Next", BS_DEFPUSHBUTTON | BS_NOTIFY | kTabStop, {587, 437, 95, 28},
                         kAnchorBottomRight, Widget::bNext);
    HWND exit = b.Button(kBarPage, id::btnExit, L"E&xit program", kPush | BS_ICON | kTabStop, {10, 435, 36, 32},
                         kAnchorBottomLeft, Widget::btnExit);
    HWND about = b.Button(kBarPage, id::TeButton2, L"Abo&ut", kPush | BS_ICON | kTabStop, {52, 435, 36, 32},
                          kAnchorBottomLeft, Widget::TeButton2);
    EnableWindow(back, FALSE);
    EnableWindow(next, FALSE);  // until the script's description has been read
    SetButtonPictures(b.window(), b.scale(), c);

    c.tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, b.window(), nullptr, b.instance(), nullptr);
    b.Hint(exit, L"Exit program");
    b.Hint(about, L"About");
    b.Hint(back, L"Go back");
    b.Hint(next, L"Go forward");
}

}  // namespace

void BuildWizardPages(HWND window, const PageResources& resources, WizardControls& controls) {
    PageBuilder b(window, resources, controls);
    controls.madeDpi = resources.scale.dpi();
    controls.checkImages = MakeCheckImages(b.scale()(kSmallIcon));
    BuildWelcomePage(b);
    BuildDescriptionPage(b);
    BuildPassPage(
        b, {qm::kPagePDetectie, id::detectionHeading, L"Please Wait... Detection in progress....",
            id::AdvInfiniteProgress1, id::TeProgressBarLoad, id::Loperation, id::advLStatusDetect,
            Widget::AdvInfiniteProgress1, Widget::TeProgressBarLoad, Widget::Loperation, Widget::advLStatusDetect});
    BuildChoicePage(b);
    BuildPassPage(
        b, {qm::kPagePDezinstalare, id::uninstallHeading, L"Uninstall", id::AdvInfiniteProgress2,
            id::TeProgressBarUninstall, id::LUninstalloperation, id::advLStatusUninstal, Widget::AdvInfiniteProgress2,
            Widget::TeProgressBarUninstall, Widget::LUninstalloperation, Widget::advLStatusUninstal});
    BuildReportPage(b);
    BuildNothingFoundPage(b);
    // Before the button bar: the tab order goes from a page's controls to the bar.
    BuildBackupControls(window, resources, controls);
    BuildButtonBar(b);
}

void RescaleWizardPages(HWND window, const PageResources& resources, WizardControls& controls) {
    const int dpi = resources.scale.dpi();
    auto rescale = [&](LONG pixels) { return static_cast<LONG>(MulDiv(pixels, dpi, controls.madeDpi)); };
    for (PlacedControl& control : controls.placed)
        control.base = {rescale(control.made.left), rescale(control.made.top), rescale(control.made.right),
                        rescale(control.made.bottom)};
    ImageList checkImages = MakeCheckImages(resources.scale(kSmallIcon));
    controls.tabs.SetDpi(dpi, resources.itemImages, checkImages.get());
    controls.report.SetDpi(dpi, resources.itemImages, nullptr);
    controls.backups.SetDpi(dpi, resources.itemImages, nullptr);
    controls.checkImages = std::move(checkImages);
    SetButtonPictures(window, resources.scale, controls);
    controls.description.SetDpi(dpi);
}

}  // namespace qmui
