// The wizard's page flow on a simulated machine, driven through the
// in-memory view as a user would click: script choice, automatic and custom
// removal, tabs and lbFound, Select all/none, Retry, Back, the corrupt-script
// halt and the start-page reset.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ProgramEnd.h"
#include "tests/shell/WizardOnMachine.h"

namespace qm {

namespace {

HRESULT QM_STDCALL RegisterOk() { return 0; }

class WizardTest : public SimulatedWindow {
protected:
    std::string Script(const std::string& source, const std::string& path = "C:\\scripts\\test.malware") {
        return CompiledScript(path, source);
    }
    // A machine with one item for every list: a registry key to add, a
    // running program with its file, an INI value, a COM server.
    std::string InfectedScript() {
        WriteFile("C:\\pest\\pest.exe", "MZ");
        WriteFile("C:\\pest\\pest.dll", "MZ");
        machine.modules().Define("pest").Export("DllRegisterServer", &RegisterOk);
        machine.modules().BindPath("C:\\pest\\pest.dll", "pest");
        machine.StartProcess("C:\\pest\\pest.exe");
        return Script(R"(
            description "<h1>Pest</h1>"
            owner "Pest"
            add key 'HKCU\Software\WizardTest'
            delete file 'C:\pest\pest.exe'
            add ini-value 'C:\WINDOWS\win.ini' "windows" "load" "x"
            register server 'C:\pest\pest.dll'
        )");
    }
    void Start(std::vector<std::string> arguments) {
        wizard = std::make_unique<TFQuarnUninstall>(view);
        wizard->FormCreate(arguments);
    }
    void StartOn(const std::string& script) { Start({script}); }
};

}  // namespace

TEST_F(WizardTest, AutomaticRemovalGoesFromDetectionStraightToTheReport) {
    StartOn(InfectedScript());
    EXPECT_EQ(view.PageIndex(), kPagePreclama);
    EXPECT_TRUE(view.Enabled(Widget::bNext));
    EXPECT_FALSE(view.Enabled(Widget::bBack));
    EXPECT_EQ(view.Description(), "<h1>Pest</h1>");
    EXPECT_TRUE(view.anchored());

    wizard->bNextClick();
    EXPECT_EQ(view.PageIndex(), kPagePDescriere);
    EXPECT_TRUE(view.Enabled(Widget::bBack));
    wizard->bNextClick();

    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    const std::vector<int> flow(view.PagesShown().end() - 4, view.PagesShown().end());
    EXPECT_EQ(flow, (std::vector<int>{kPagePDetectie, kPagePAlegere, kPagePDezinstalare, kPagePRaport}));
    EXPECT_EQ(view.Caption(Widget::lbFound), "");
    EXPECT_FALSE(view.Enabled(Widget::bNext));
    EXPECT_TRUE(view.Enabled(Widget::bBack));
    EXPECT_FALSE(view.Visible(Widget::bRetry));
    for (Widget hidden : {Widget::AdvInfiniteProgress2, Widget::TeProgressBarUninstall, Widget::LUninstalloperation,
                          Widget::advLStatusUninstal})
        EXPECT_FALSE(view.Visible(hidden));

    EXPECT_TRUE(KeyExists("Software\\WizardTest"));
    EXPECT_FALSE(Exists("C:\\pest\\pest.exe")) << "the program was stopped and its file deleted after the pass";
    EXPECT_TRUE(machine.processes().running().empty());
    ItemList& report = view.List(Widget::AdvRaport);
    ASSERT_EQ(report.RowCount(), 5);
    std::vector<std::string> kinds;
    for (int row = 0; row < report.RowCount(); ++row) kinds.push_back(report.Caption(row) + report.SubItem(row, 0));
    EXPECT_EQ(kinds, (std::vector<std::string>{"RegistryAdd ", "Process Kill ", "INIAdd ", "Server Register ",
                                               "DiskDelete "}));
}

TEST_F(WizardTest, CustomRemovalShowsTheTabsOfListsWithItems) {
    StartOn(InfectedScript());
    view.SetChecked(Widget::rbCustom, true);
    wizard->bNextClick();
    wizard->bNextClick();
    EXPECT_EQ(view.PageIndex(), kPagePAlegere);
    EXPECT_EQ(view.Caption(Widget::lbFound),
              "Found entry in \r=> Runing Process \r=> Servers \r=> INI \r=> Disk \r=> Registry \r");
    EXPECT_EQ(view.ActiveTab(), Widget::TeTabReg);
    for (Widget tab : {Widget::TeTabReg, Widget::TeTabDisck, Widget::TeTabIni, Widget::TeTabServers,
                       Widget::TeTabRunProcess})
        EXPECT_TRUE(view.TabVisible(tab));

    // The user keeps the registry item and removes the rest.
    view.List(Widget::AdvListREG).SetChecked(0, false);
    wizard->bNextClick();
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_FALSE(KeyExists("Software\\WizardTest"));
    EXPECT_EQ(view.List(Widget::AdvRaport).RowCount(), 4);
}

TEST_F(WizardTest, TabsOfEmptyListsAreHiddenAndShownAgainLater) {
    WriteFile("C:\\pest\\readme.txt", "x");
    StartOn(Script(R"(
        description "disk only"
        delete file 'C:\pest\readme.txt'
        add key 'HKCU\Software\WizardTest'
    )"));
    // The key already exists: only the disk list has an item.
    HKEY key = 0;
    machine.RegCreateKeyExA(HKCU, "Software\\WizardTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    machine.RegCloseKey(key);
    view.SetChecked(Widget::rbCustom, true);
    wizard->bNextClick();
    wizard->bNextClick();
    EXPECT_EQ(view.Caption(Widget::lbFound), "Found entry in \r=> Disk \r");
    EXPECT_EQ(view.ActiveTab(), Widget::TeTabDisck);
    EXPECT_TRUE(view.TabVisible(Widget::TeTabDisck));
    for (Widget tab : {Widget::TeTabReg, Widget::TeTabIni, Widget::TeTabServers, Widget::TeTabRunProcess})
        EXPECT_FALSE(view.TabVisible(tab));
    EXPECT_GT(static_cast<MemoryItemList&>(view.List(Widget::AdvListDisck)).fitCount(), 0) << "the columns are fitted";

    // Back, the key disappears, and a new scan shows the registry tab again.
    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPagePDescriere);
    EXPECT_TRUE(view.Enabled(Widget::bNext));
    machine.RegDeleteKeyA(HKCU, "Software\\WizardTest");
    wizard->bNextClick();
    EXPECT_TRUE(view.TabVisible(Widget::TeTabReg));
    EXPECT_EQ(view.ActiveTab(), Widget::TeTabReg);
}

TEST_F(WizardTest, SelectAllAndNoneActOnTheActiveTabOnly) {
    StartOn(InfectedScript());
    view.SetChecked(Widget::rbCustom, true);
    wizard->bNextClick();
    wizard->bNextClick();
    ItemList& registry = view.List(Widget::AdvListREG);
    ItemList& processes = view.List(Widget::AdvRuning);
    wizard->bUncheckallClick();
    EXPECT_FALSE(registry.Checked(0));
    EXPECT_TRUE(view.List(Widget::AdvListDisck).Checked(0)) << "other tabs are left alone";
    wizard->bCheckallClick();
    EXPECT_TRUE(registry.Checked(0));

    view.ActivateTab(Widget::TeTabRunProcess);
    wizard->PgAllOperationChange();
    EXPECT_FALSE(view.Visible(Widget::bCheckall));
    EXPECT_FALSE(view.Visible(Widget::bUncheckall));
    EXPECT_FALSE(view.Visible(Widget::lbFound));
    wizard->bUncheckallClick();
    EXPECT_TRUE(processes.Checked(0)) << "running programs cannot be unchecked";

    view.ActivateTab(Widget::TeTabIni);
    wizard->PgAllOperationChange();
    EXPECT_TRUE(view.Visible(Widget::bCheckall));
}

TEST_F(WizardTest, NothingFoundShowsTheNoInfectionPage) {
    StartOn(Script(R"(
        description "clean"
        delete file 'C:\pest\missing.exe'
        delete key 'HKCU\Software\Missing'
    )"));
    wizard->bNextClick();
    wizard->bNextClick();
    EXPECT_EQ(view.PageIndex(), kPagePspecial);
    EXPECT_FALSE(view.Enabled(Widget::bNext));
    EXPECT_TRUE(view.Enabled(Widget::bBack));
    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPagePDescriere);
    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPagePreclama);
    EXPECT_FALSE(view.Enabled(Widget::bBack));
    EXPECT_TRUE(view.Enabled(Widget::bNext));
}

TEST_F(WizardTest, OnlyARunningProgramFoundCountsAsNothingFound) {
    WriteFile("C:\\pest\\pest.exe", "MZ");
    machine.StartProcess("C:\\pest\\pest.exe");
    // The file is missed when it is listed for erasing, then found for the process.
    machine.faults().Fail("FindFirstFileA", ERROR_FILE_NOT_FOUND).ForPath("C:\\pest\\pest.exe").OnCall(1);
    StartOn(Script(R"(
        description "process"
        delete file 'C:\pest\pest.exe'
    )"));
    wizard->bNextClick();
    wizard->bNextClick();
    EXPECT_EQ(view.List(Widget::AdvRuning).RowCount(), 1);
    EXPECT_EQ(view.PageIndex(), kPagePspecial);
}

TEST_F(WizardTest, RetryAppearsAfterAFailedRemovalAndScansAgain) {
    StartOn(Script(R"(
        description "failing"
        add value 'HKXX\Software' "v" REG_SZ "x"
    )"));
    view.SetChecked(Widget::CBaboutblank, false);
    wizard->bNextClick();
    wizard->bNextClick();
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_TRUE(view.Visible(Widget::bRetry));
    EXPECT_EQ(view.List(Widget::AdvRaport).SubItem(0, 0), "Error Add ");

    const size_t shownBefore = view.PagesShown().size();
    wizard->bRetryClick();
    const std::vector<int> flow(view.PagesShown().begin() + static_cast<long>(shownBefore), view.PagesShown().end());
    EXPECT_EQ(flow, (std::vector<int>{kPagePDescriere, kPagePDetectie, kPagePAlegere, kPagePDezinstalare,
                                      kPagePRaport}));
    EXPECT_TRUE(view.Visible(Widget::bRetry));
}

TEST_F(WizardTest, AnUncheckedReportSaysNothingToDo) {
    WriteFile("C:\\pest\\readme.txt", "x");
    StartOn(Script(R"(
        description "keep"
        delete file 'C:\pest\readme.txt'
    )"));
    view.SetChecked(Widget::rbCustom, true);
    wizard->bNextClick();
    wizard->bNextClick();
    wizard->bUncheckallClick();
    wizard->bNextClick();
    ItemList& report = view.List(Widget::AdvRaport);
    ASSERT_EQ(report.RowCount(), 1);
    EXPECT_EQ(report.Caption(0), "Noting to do...");
    EXPECT_FALSE(view.Visible(Widget::bRetry));
    EXPECT_TRUE(Exists("C:\\pest\\readme.txt"));
}

TEST_F(WizardTest, TheStartPageIsResetBeforeEveryScanWhenAsked) {
    StartOn(Script(R"(description "x")"));
    wizard->bNextClick();
    wizard->bNextClick();
    EXPECT_FALSE(KeyExists("Software\\Microsoft\\Internet Explorer\\Main"));

    wizard->bBackClick();
    view.SetChecked(Widget::CBaboutblank, true);
    wizard->bNextClick();
    HKEY key = 0;
    ASSERT_EQ(machine.RegOpenKeyExA(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char page[64] = {};
    DWORD size = sizeof page;
    EXPECT_EQ(machine.RegQueryValueExA(key, "Start Page", nullptr, nullptr, reinterpret_cast<BYTE*>(page), &size),
              ERROR_SUCCESS);
    machine.RegCloseKey(key);
    EXPECT_STREQ(page, "about:blank");
}

TEST_F(WizardTest, TheScriptBesideTheProgramWinsOverTheCommandLine) {
    const std::string beside = Script(R"(description "beside")", "C:\\Program Files\\Quellmar\\all.malware");
    const std::string other = Script(R"(description "argument")", "C:\\scripts\\other.malware");
    Start({other});
    EXPECT_EQ(wizard->ScriptPath(), beside);
    EXPECT_EQ(view.Description(), "beside");
    EXPECT_TRUE(view.dialogRequests.empty());
}

TEST_F(WizardTest, AMissingScriptOpensTheDialogUnlessItEndsInMalware) {
    Start({"C:\\scripts\\missing.MALWARE"});
    EXPECT_TRUE(view.dialogRequests.empty()) << "a .malware name in any case shows no dialog";
    EXPECT_FALSE(view.Enabled(Widget::bNext));
    EXPECT_FALSE(ProgramEndRequested());

    MemoryWizardView second;
    const std::string chosen = Script(R"(description "chosen")");
    second.dialogAnswer = chosen;
    TFQuarnUninstall wizard2(second);
    wizard2.FormCreate({"C:\\scripts\\missing.txt"});
    ASSERT_EQ(second.dialogRequests.size(), 1u);
    EXPECT_EQ(second.dialogRequests[0].initialFolder, "C:\\Program Files\\Quellmar\\");
    EXPECT_EQ(second.dialogRequests[0].filter, "All anti-malware files|*.malware");
    EXPECT_EQ(second.dialogRequests[0].title, "Alege Fisierul care sa-l Uninstall");
    EXPECT_EQ(wizard2.ScriptPath(), chosen);
    EXPECT_TRUE(second.Enabled(Widget::bNext));
}

TEST_F(WizardTest, CancellingTheDialogEndsTheProgram) {
    Start({});
    EXPECT_EQ(view.dialogRequests.size(), 1u);
    EXPECT_TRUE(ProgramEndRequested());
    EXPECT_FALSE(view.Enabled(Widget::bNext));
}

TEST_F(WizardTest, ACorruptScriptHaltsTheProgramAndRemovesItsModule) {
    StartOn(Script(R"(
        module "every-record.dll"
        description "corrupt"
        record change key text1 'HKCU\Software\Pest'
    )"));
    ASSERT_TRUE(view.Enabled(Widget::bNext)) << "the preview reads the description only";
    wizard->bNextClick();
    wizard->bNextClick();
    ASSERT_FALSE(machine.messageBoxes().empty());
    EXPECT_EQ(machine.messageBoxes()[0].text, "Corupt Instalation!\r\nProgram Halted!");
    EXPECT_EQ(machine.messageBoxes()[0].type & MB_ICONHAND, MB_ICONHAND);
    EXPECT_TRUE(ProgramEndRequested());
    ASSERT_FALSE(wizard->ModulePath().empty());
    EXPECT_FALSE(Exists(wizard->ModulePath())) << "the extracted module is removed";
}

TEST_F(WizardTest, ClosingTheWindowRemovesTheModuleOfTheLastPass) {
    StartOn(Script(R"(
        module "every-record.dll"
        description "module"
    )"));
    wizard->bNextClick();
    wizard->bNextClick();
    const std::string module = wizard->ModulePath();
    ASSERT_FALSE(module.empty());
    EXPECT_TRUE(Exists(module));
    wizard->FormClose();
    EXPECT_FALSE(Exists(module));
}

}  // namespace qm
