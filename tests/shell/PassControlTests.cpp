// The wizard while a pass runs, driven through the in-memory view: one pass
// at a time (Back, Next and About during a pass), stopping a scan and a
// removal from Exit, the summary line and the pace of the refreshes.
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/shell/WizardOnMachine.h"

namespace qm {

namespace {

constexpr int kItems = 12;

class PassControlTest : public SimulatedWindow {
protected:
    static std::string KeyName(int i) { return "Software\\PassTest\\K" + std::to_string(i); }
    static std::string FileName(int i) { return "C:\\pest\\f" + std::to_string(i) + ".dat"; }

    // kItems keys to add (done at once, record by record) and kItems files
    // to delete (queued until after the last record).
    void StartOnPest() {
        machine.CreateDirectoryA("C:\\pest", nullptr);
        machine.CreateDirectoryA("C:\\scripts", nullptr);
        std::string source = "description \"pest\"\nowner \"Pest\"\n";
        for (int i = 0; i < kItems; ++i) {
            source += "add key 'HKCU\\" + KeyName(i) + "'\n";
            WriteFile(FileName(i), "x");
            source += "delete file '" + FileName(i) + "'\n";
        }
        const auto bytes = script::CompileScript(source, "pest.qms", std::filesystem::path(TEST_FIXTURES_DIR));
        WriteFile("C:\\scripts\\pest.malware", std::string(bytes.begin(), bytes.end()));
        wizard = std::make_unique<TFQuarnUninstall>(view);
        // Every look at the clock finds it `step` later: with 40 ms every
        // record is due for a refresh.
        wizard->SetClock([this] { return now += step; });
        wizard->FormCreate({"C:\\scripts\\pest.malware"});
        ASSERT_TRUE(view.Enabled(Widget::bNext));
        wizard->bNextClick();  // the description page
    }
    int PagesShownSince(size_t from, int page) const {
        return static_cast<int>(std::count(view.PagesShown().begin() + static_cast<long>(from), view.PagesShown().end(), page));
    }
    std::vector<std::string> Operations() {
        ItemList& report = view.List(Widget::AdvRaport);
        std::vector<std::string> operations;
        for (int row = 0; row < report.RowCount(); ++row)
            operations.push_back(report.SubItemCount(row) > 0 ? report.SubItem(row, 0) : report.Caption(row));
        return operations;
    }

    SteadyTime now{};
    std::chrono::milliseconds step{40};
};

}  // namespace

TEST_F(PassControlTest, BackAndNextDuringAScanStartNoSecondScan) {
    StartOnPest();
    view.SetChecked(Widget::rbCustom, true);
    int refreshes = 0;
    bool buttonsOff = true;
    view.whileProcessingMessages = [&] {
        buttonsOff = buttonsOff && !view.Enabled(Widget::bBack) && !view.Enabled(Widget::bNext) &&
                     !view.Enabled(Widget::TeButton2);
        if (++refreshes == 3) {
            wizard->bBackClick();
            wizard->bNextClick();
            wizard->bRetryClick();
        }
    };
    const size_t before = view.PagesShown().size();
    wizard->bNextClick();
    ASSERT_GE(refreshes, 3) << "the scan refreshed the window while it ran";
    EXPECT_TRUE(buttonsOff) << "Back, Next and About are disabled during the scan";
    EXPECT_EQ(PagesShownSince(before, kPagePDetectie), 1) << "one scan";
    EXPECT_EQ(view.PageIndex(), kPagePAlegere);
    EXPECT_EQ(view.List(Widget::AdvListREG).RowCount(), kItems);
    EXPECT_EQ(view.List(Widget::AdvListDisck).RowCount(), kItems);
    EXPECT_TRUE(view.Enabled(Widget::bBack) && view.Enabled(Widget::bNext) && view.Enabled(Widget::TeButton2))
        << "enabled again after the scan";

    view.whileProcessingMessages = nullptr;
    wizard->bNextClick();
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_EQ(Operations().size(), 2u * kItems) << "a report of every item, once";
}

TEST_F(PassControlTest, AboutDuringAPassShowsNothingAndHoldsNothing) {
    StartOnPest();
    int clicks = 0;
    view.whileProcessingMessages = [&] {
        if (!wizard->PassRunning()) return;  // between the pages of the automatic flow
        ++clicks;
        wizard->TeButton1Click();
    };
    wizard->bNextClick();  // automatic: scan and removal
    EXPECT_GT(clicks, 0);
    EXPECT_EQ(view.aboutShown(), 0);
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_TRUE(view.Enabled(Widget::TeButton2));
    view.whileProcessingMessages = nullptr;
    wizard->TeButton1Click();
    EXPECT_EQ(view.aboutShown(), 1) << "after the pass About opens";
}

TEST_F(PassControlTest, ExitOutsideAPassClosesAtOnce) {
    StartOnPest();
    EXPECT_TRUE(wizard->CloseQuery());
    EXPECT_TRUE(view.questions.empty());
}

TEST_F(PassControlTest, ExitDuringAScanAsksAndANoLetsItFinish) {
    StartOnPest();
    bool closed = true;
    view.whileProcessingMessages = [&] {
        if (view.questions.empty()) closed = wizard->CloseQuery();
    };
    view.confirmAnswer = false;
    wizard->bNextClick();
    EXPECT_FALSE(closed) << "the window stays";
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], TFQuarnUninstall::StopQuestion(true));
    EXPECT_FALSE(wizard->LastPassStopped());
    EXPECT_EQ(view.PageIndex(), kPagePRaport) << "the automatic removal followed the whole scan";
    EXPECT_EQ(Operations().size(), 2u * kItems);
}

TEST_F(PassControlTest, AStoppedScanShowsWhatWasFoundSoFarAndChangesNothing) {
    StartOnPest();  // automatic removal chosen
    view.whileProcessingMessages = [&] {
        if (view.questions.empty() && view.List(Widget::AdvListREG).RowCount() >= 3) wizard->CloseQuery();
    };
    view.confirmAnswer = true;
    wizard->bNextClick();
    EXPECT_TRUE(wizard->LastPassStopped());
    EXPECT_EQ(view.PageIndex(), kPagePAlegere) << "no removal after a stopped scan";
    const int found = view.List(Widget::AdvListREG).RowCount();
    EXPECT_GE(found, 3);
    EXPECT_LT(found, kItems);
    EXPECT_EQ(view.Caption(Widget::lbFound), "Found entry in \r=> Disk \r=> Registry \r");
    EXPECT_TRUE(view.Enabled(Widget::bNext) && view.Enabled(Widget::bBack));
    for (int i = 0; i < kItems; ++i) {
        EXPECT_FALSE(KeyExists(KeyName(i)));
        EXPECT_TRUE(Exists(FileName(i)));
    }
    EXPECT_TRUE(machine.messageBoxes().empty()) << "a stopped read is no corrupt script";
}

// Stopped while the records are read: what was done is done and reported;
// the queued deletions are not started, and the checked rows never reached
// are reported as not done.
TEST_F(PassControlTest, AStoppedRemovalReportsWhatWasDoneAndWhatWasNot) {
    StartOnPest();
    view.SetChecked(Widget::rbCustom, true);
    wizard->bNextClick();
    ASSERT_EQ(view.PageIndex(), kPagePAlegere);
    view.List(Widget::AdvListREG).SetChecked(kItems - 1, false);  // kept by the user
    int refreshes = 0;
    view.whileProcessingMessages = [&] {
        if (++refreshes == 8) wizard->CloseQuery();
    };
    view.confirmAnswer = true;
    wizard->bNextClick();
    ASSERT_TRUE(wizard->LastPassStopped());
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_EQ(view.questions, std::vector<std::string>{TFQuarnUninstall::StopQuestion(false)});

    ItemList& report = view.List(Widget::AdvRaport);
    int added = 0, notDone = 0;
    for (int i = 0; i < kItems; ++i) {
        const std::string key = "HKCU\\" + KeyName(i);
        const std::string file = "f" + std::to_string(i) + ".dat";
        int lines = 0;
        for (int row = 0; row < report.RowCount(); ++row) {
            const std::string operation = report.SubItem(row, 0);
            if (report.SubItem(row, 1) == key) {
                ++lines;
                if (operation == "Add ") {
                    ++added;
                    EXPECT_TRUE(KeyExists(KeyName(i)));
                } else {
                    EXPECT_EQ(operation, "Not done: Add regsitry Key");
                    EXPECT_FALSE(KeyExists(KeyName(i)));
                    ++notDone;
                }
            }
            if (report.SubItem(row, 2) == file) {
                ++lines;
                EXPECT_TRUE(operation == "Not done: Delete " || operation == "Not done: Erase File")
                    << "queued deletions are not started, nor are those never reached: " << operation;
                EXPECT_EQ(report.SubItem(row, 1), "C:\\pest\\");
                ++notDone;
            }
        }
        EXPECT_TRUE(Exists(FileName(i)));
        EXPECT_EQ(lines, i == kItems - 1 ? 1 : 2) << "one line for every checked item, " << i;
    }
    EXPECT_GT(added, 0);
    EXPECT_LT(added, kItems - 1);
    EXPECT_EQ(view.Caption(Widget::lbSummary).rfind("Stopped: " + std::to_string(added) + " changed, 0 failed, "
                                                    "0 pending until restart, " + std::to_string(notDone) +
                                                    " not done, in ", 0),
              0u)
        << view.Caption(Widget::lbSummary);
    EXPECT_FALSE(view.Visible(Widget::bRetry)) << "a stop is no error";
}

// Stopped while the queued files are deleted: each file is either deleted
// and reported so, or still there and reported as not done.
TEST_F(PassControlTest, AStopBetweenQueuedDeletionsLeavesNoneHalfDone) {
    StartOnPest();
    view.SetChecked(Widget::rbCustom, true);
    wizard->bNextClick();
    view.whileProcessingMessages = [&] {
        ItemList& report = view.List(Widget::AdvRaport);
        int deleted = 0;
        for (int row = 0; row < report.RowCount(); ++row) deleted += report.Caption(row) == "Disk";
        if (view.questions.empty() && deleted >= 3) wizard->CloseQuery();
    };
    view.confirmAnswer = true;
    wizard->bNextClick();
    ASSERT_TRUE(wizard->LastPassStopped());
    ItemList& report = view.List(Widget::AdvRaport);
    int deleted = 0, kept = 0;
    for (int row = 0; row < report.RowCount(); ++row) {
        if (report.Caption(row) != "Disk") continue;
        const std::string path = report.SubItem(row, 1) + report.SubItem(row, 2);
        if (report.SubItem(row, 0) == "Delete ") {
            EXPECT_FALSE(Exists(path)) << path;
            ++deleted;
        } else {
            EXPECT_EQ(report.SubItem(row, 0), "Not done: Delete ");
            EXPECT_TRUE(Exists(path)) << path;
            ++kept;
        }
    }
    EXPECT_EQ(deleted + kept, kItems);
    EXPECT_GE(deleted, 3);
    EXPECT_GT(kept, 0);
    for (int i = 0; i < kItems; ++i) EXPECT_TRUE(KeyExists(KeyName(i))) << "every record was read";
}

TEST_F(PassControlTest, TheSummaryLineCountsTheReportAndTheTime) {
    StartOnPest();
    step = std::chrono::milliseconds(0);
    view.whileProcessingMessages = [&] { now += std::chrono::milliseconds(100); };
    now += std::chrono::milliseconds(1);
    wizard->bNextClick();
    ASSERT_EQ(view.PageIndex(), kPagePRaport);
    // With a clock that never moves by itself no refresh is due: the pass took no time.
    EXPECT_EQ(view.Caption(Widget::lbSummary),
              std::to_string(2 * kItems) + " changed, 0 failed, 0 pending until restart, in 0.0 s");
}

TEST_F(PassControlTest, RefreshesComeAtTheirPaceAndAlwaysAtTheEnd) {
    struct Case {
        int stepMs;
        int minimum, maximum;  // refreshes of the scan pass: 2 * kItems records, 6 more progress calls
    };
    for (const Case& c : {Case{0, 0, 0}, Case{10, 2 * kItems / 5, 2 * kItems / 3}, Case{40, 2 * kItems, 2 * kItems + 6}}) {
        SCOPED_TRACE(c.stepMs);
        view = MemoryWizardView();
        StartOnPest();
        step = std::chrono::milliseconds(c.stepMs);
        view.SetChecked(Widget::rbCustom, true);
        const int pumped = view.messagesProcessed(), updates = view.listUpdates();
        wizard->bNextClick();
        EXPECT_GE(view.messagesProcessed() - pumped, c.minimum);
        EXPECT_LE(view.messagesProcessed() - pumped, c.maximum);
        EXPECT_EQ(view.listUpdates() - updates, view.messagesProcessed() - pumped + 1) << "and once at the end";
        EXPECT_EQ(view.Progress(Widget::TeProgressBarLoad), view.ProgressMax(Widget::TeProgressBarLoad));
    }
}

}  // namespace qm
