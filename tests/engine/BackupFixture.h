// A fixture for removal passes that keep a backup, and their restores: the
// backups a test makes are deleted after it; a snapshot of the test's key
// and folder tells whether a restore put everything back.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "engine/MemoryItemList.h"
#include "engine/Restore.h"
#include "platform/Handles.h"
#include "tests/engine/AreaSnapshot.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

inline std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

class BackupTest : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        passOptions.keepBackup = true;
        for (const BackupInfo& info : ListBackups()) existing_.push_back(info.id);
    }
    void TearDown() override {
        // Only the backups this test made go.
        for (const BackupInfo& info : ListBackups()) {
            if (std::find(existing_.begin(), existing_.end(), info.id) != existing_.end()) continue;
            std::string error;
            EXPECT_TRUE(DeleteBackup(info, error)) << error;
        }
        PassTest::TearDown();
    }

    AreaSnapshot Snapshot() {
        // Wine keeps no creation time of its own: it reports the last change.
        return TakeSnapshot(P(), HKCU, ScratchKey(), Scratch(), {.creationTimes = !IsWine()});
    }
    BackupInfo Latest() {
        const auto latest = FindBackup("latest");
        EXPECT_TRUE(latest.has_value());
        return latest.value_or(BackupInfo{});
    }
    RestoreOutcome Restore(const BackupInfo& backup) {
        restoreReport.Clear();
        return RestoreBackup(backup, &restoreReport);
    }
    void SetTimes(const std::string& path, unsigned long long when) {
        FileHandle file(P(), P().CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, kInvalidHandle));
        ASSERT_TRUE(file) << path;
        const FILETIME time{static_cast<DWORD>(when), static_cast<DWORD>(when >> 32)};
        ASSERT_TRUE(P().SetFileTime(file.get(), &time, &time, &time));
    }

    MemoryItemList restoreReport;

private:
    std::vector<std::string> existing_;
};

}  // namespace qm::test
