// The guard rails on a simulated machine that runs the processes of a real
// Windows: a script naming their program files, or Quellmar's, stops none of
// them and deletes nothing, while a pest that borrows such a name from
// another folder is stopped and deleted; a process Windows marks critical is
// never stopped, whatever its file.
#include <string>
#include <vector>

#include "locations/InfoDirs.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class GuardRailsSim : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        sim::InstallStandardMachine(Sim());
        sim::StartSystemProcesses(Sim());
        InfoDir.ClearCache();
    }
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }
    bool Running(const std::string& image) { return Sim().processes().IsImageRunning(image); }
};

}  // namespace

TEST_F(GuardRailsSim, SystemProgramsAndQuellmarStayWhileLookAlikesGo) {
    const std::string own = Sim().settings().programPath;
    WriteFile(own, "MZ");
    Sim().StartProcess(own);
    const std::string lookAlike = InScratch("svchost.exe");
    WriteFile(lookAlike, "MZ");
    Sim().StartProcess(lookAlike);
    WriteScript("description \"system\"\nowner \"Pest\"\n"
                "delete file '%system32%\\svchost.exe'\n"
                "delete file '%windir%\\explorer.exe'\n"
                "delete file '" + own + "'\n"
                "delete file '" + lookAlike + "'\n");
    const PassResult scan = Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", lookAlike, "*", "7"}}));
    EXPECT_EQ(Rows(process), (Table{{"Runing Process", "Pest", lookAlike, "8"}}));
    EXPECT_EQ(scan.refusals.size(), 6u) << "three files and their three processes";

    Remove();
    for (const char* image : {"C:\\WINDOWS\\system32\\svchost.exe", "C:\\WINDOWS\\explorer.exe"}) {
        EXPECT_TRUE(Running(image)) << image;
        EXPECT_TRUE(FileExists(image)) << image;
    }
    EXPECT_TRUE(Running(own));
    EXPECT_FALSE(Running(lookAlike));
    EXPECT_FALSE(FileExists(lookAlike));
}

TEST_F(GuardRailsSim, AProcessWindowsMarksCriticalIsNeverStopped) {
    const std::string image = InScratch("guard.exe");
    WriteFile(image, "MZ");
    const DWORD id = Sim().StartProcess(image);
    Sim().processes().Find(id)->critical = true;
    WriteScript("description \"critical\"\ndelete file '" + image + "'\n");
    Scan();
    EXPECT_EQ(process.RowCount(), 0);
    Remove();
    EXPECT_NE(Sim().processes().Find(id), nullptr);
    EXPECT_EQ(Rows(report)[0], (std::vector<std::string>{"Process ", "Refused Kill ", Scratch() + "\\", "guard.exe",
                                                           "a process Windows marks critical"}));
    EXPECT_EQ(KillProcess(image), 0) << "not even when asked directly";
    EXPECT_NE(Sim().processes().Find(id), nullptr);
}

}  // namespace qm::test
