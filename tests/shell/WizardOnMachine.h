// The wizard's tests on a simulated machine: a window on a standard machine
// driven through the in-memory view; two small pests with their scripts,
// and cleanups at chosen times.
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Restore.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "shell/MemoryWizardView.h"
#include "shell/Quarn_Main.h"
#include "tests/support/UseMachine.h"
#include "tools/script/ScriptCompiler.h"

namespace qm {

// Year, month, day of the week, day, hour, minute, second, millisecond.
constexpr SYSTEMTIME kMonday{2005, 3, 1, 7, 9, 5, 2, 0};
constexpr SYSTEMTIME kTuesday{2005, 3, 2, 8, 10, 0, 0, 0};
constexpr SYSTEMTIME kWednesday{2005, 3, 3, 9, 11, 30, 0, 0};

// A window on a simulated standard machine, driven through the in-memory
// view, with the folders C:\pest and C:\scripts and a few helpers.
class SimulatedWindow : public ::testing::Test {
protected:
    void SetUp() override {
        sim::InstallStandardMachine(machine);
        machine.CreateDirectoryA("C:\\pest", nullptr);
        machine.CreateDirectoryA("C:\\scripts", nullptr);
    }

    void WriteFile(const std::string& path, const std::string& bytes) {
        HANDLE file = machine.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
        ASSERT_NE(file, kInvalidHandle) << path;
        DWORD written = 0;
        machine.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        machine.CloseHandle(file);
    }
    bool Exists(const std::string& path) { return machine.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    bool KeyExists(const std::string& path, HKEY root = HKCU) {
        HKEY key = 0;
        if (machine.RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        machine.RegCloseKey(key);
        return true;
    }
    // The script's source compiled into the file `path`; returns the path.
    std::string CompiledScript(const std::string& path, const std::string& source) {
        const auto bytes = script::CompileScript(source, "test.qms", std::filesystem::path(TEST_FIXTURES_DIR));
        WriteFile(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }

    sim::SimPlatform machine;
    test::UseMachine use{machine};
    MemoryWizardView view;
    std::unique_ptr<TFQuarnUninstall> wizard;
};

// The pests "a" and "b" with their scripts, and cleanups at chosen times.
class WizardOnMachine : public SimulatedWindow {
protected:
    std::string Script(const std::string& name, const std::string& source) {
        return CompiledScript("C:\\scripts\\" + name, source);
    }
    // The pest "a": a key the script adds and a file it deletes.
    std::string ScriptA() {
        WriteFile("C:\\pest\\a.dat", "a");
        return Script("a.malware", R"(
            description "a"
            add key 'HKCU\Software\UndoTest'
            delete file 'C:\pest\a.dat'
        )");
    }
    // The pest "b": one file.
    std::string ScriptB() {
        WriteFile("C:\\pest\\b.dat", "b");
        return Script("b.malware", R"(
            description "b"
            delete file 'C:\pest\b.dat'
        )");
    }
    // A fresh window on the welcome page with this script.
    void Start(const std::string& script) {
        wizard = std::make_unique<TFQuarnUninstall>(view);
        wizard->SetClock([this] { return now += std::chrono::milliseconds(40); });
        wizard->FormCreate({script});
    }
    // An automatic cleanup at this time; the window stays on its report.
    void Cleanup(const std::string& script, const SYSTEMTIME& when) {
        machine.settings().localTime = when;
        Start(script);
        wizard->bNextClick();
        wizard->bNextClick();
        ASSERT_EQ(view.PageIndex(), kPagePRaport);
    }
    void BackToWelcome() {
        while (view.PageIndex() != kPagePreclama && view.PageIndex() != kPageUndo) wizard->bBackClick();
        if (view.PageIndex() == kPageUndo) wizard->bBackClick();
    }
    void OpenUndo() {
        BackToWelcome();
        wizard->bUndoClick();
        ASSERT_EQ(view.PageIndex(), kPageUndo);
    }
    std::vector<std::vector<std::string>> Rows() {
        ItemList& list = view.List(Widget::AdvBackups);
        std::vector<std::vector<std::string>> rows;
        for (int row = 0; row < list.RowCount(); ++row)
            rows.push_back({list.Caption(row), list.SubItem(row, 0), list.SubItem(row, 1)});
        return rows;
    }
    std::string IdOf(const SYSTEMTIME& when) {
        char id[64];
        std::snprintf(id, sizeof id, "%04u-%02u-%02u %02u.%02u.%02u", when.wYear, when.wMonth, when.wDay, when.wHour,
                      when.wMinute, when.wSecond);
        return id;
    }

    SteadyTime now{};
};

}  // namespace qm
