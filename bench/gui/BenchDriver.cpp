// The window against the command line, under Wine, in one run: plants a pest
// of registry values and keys, times quellmar-cli.exe's scan and its scan
// plus removal, then the window's scan and removal (custom mode: Next, then
// Next again), each on a freshly planted pest, and prints the times.
//
// Usage: bench-driver.exe QUELLMAR.EXE QUELLMAR-CLI.EXE SCRIPT.malware GROUPS PER_GROUP
//   the script deletes values V0..V(PER_GROUP-1) and keys K0.. of the keys
//   HKCU\Software\BenchPest\G0..G(GROUPS-1), the values first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "shell/WizardView.h"
#include "tests/gui/GuiProbe.h"
#include "ui/ControlIds.h"

namespace {

namespace id = qmui::id;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Plant(int groups, int perGroup) {
    for (int g = 0; g < groups; ++g) {
        const std::wstring group = L"Software\\BenchPest\\G" + std::to_wstring(g);
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, group.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
            gui::Fail("cannot plant");
        for (int i = 0; i < perGroup; ++i) {
            const std::wstring name = L"V" + std::to_wstring(i);
            RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
            HKEY child = nullptr;
            RegCreateKeyExW(key, (L"K" + std::to_wstring(i)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child,
                            nullptr);
            RegCloseKey(child);
        }
        RegCloseKey(key);
    }
}

// The command line's output file: beside this driver, in the run's work
// folder, never in the folder the run was started from.
std::wstring OutputFile() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"cli-output.txt";
}

// Seconds from the start of quellmar-cli.exe to its end; its output goes to
// a file, as a user would keep it.
double RunCli(const std::wstring& cli, const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul = CreateFileW(OutputFile().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                                   nullptr);
    if (nul == INVALID_HANDLE_VALUE) gui::Fail("cannot write the command line's output file");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul;
    std::wstring commandLine = L"\"" + cli + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessW(cli.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        gui::Fail("cannot start the command line");
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = Now() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return seconds;
}

struct WindowTimes {
    double scan = 0, removal = 0;
};

// The window's scan (Next on page 1 until the choice page, or the
// no-infection page) and, when something was found, its removal.
WindowTimes RunWindow(const std::wstring& program, const std::wstring& script) {
    gui::Probe probe(program, {script}, L".");
    probe.WaitForMain(60000);
    probe.WaitForPage(qm::kPagePreclama, 20000);
    probe.Click(id::bNext);
    probe.WaitForPage(qm::kPagePDescriere, 20000);
    probe.Click(id::rbCustom);
    probe.Settle();
    WindowTimes times;
    double start = Now();
    probe.Click(id::bNext);
    if (!gui::WaitUntil([&] { return probe.Page() == qm::kPagePAlegere || probe.Page() == qm::kPagePspecial; },
                        600000))
        gui::Fail("the scan did not end");
    times.scan = Now() - start;
    if (probe.Page() == qm::kPagePAlegere) {
        probe.Settle();
        start = Now();
        probe.Click(id::bNext);
        if (!gui::WaitUntil([&] { return probe.Page() == qm::kPagePRaport; }, 600000)) gui::Fail("the removal did not end");
        times.removal = Now() - start;
        std::printf("window summary: %s\n", gui::Utf8(probe.Text(id::lbSummary)).c_str());
    }
    probe.Click(id::btnExit);
    probe.WaitForExit(60000);
    return times;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::printf("usage: bench-driver.exe QUELLMAR.EXE QUELLMAR-CLI.EXE SCRIPT.malware GROUPS PER_GROUP\n");
        return 2;
    }
    const std::wstring program = argv[1], cli = argv[2], script = argv[3];
    const int groups = _wtoi(argv[4]), perGroup = _wtoi(argv[5]);
    const std::wstring quoted = L"\"" + script + L"\"";

    // Starting a program under Wine costs time of its own: the command line's
    // start and end alone, measured on its usage message, come off its times.
    double startup = 1e9;
    for (int i = 0; i < 3; ++i) startup = std::min(startup, RunCli(cli, L"--help"));

    // Each measure twice, the shorter kept: the first run of a program warms Wine's caches.
    double cliAbsentScan = 1e9, cliScan = 1e9, cliWhole = 1e9;
    WindowTimes windowAbsent{1e9, 0}, window{1e9, 1e9};
    for (int round = 0; round < 2; ++round) {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BenchPest");
        cliAbsentScan = std::min(cliAbsentScan, RunCli(cli, L"--scan " + quoted) - startup);
        windowAbsent.scan = std::min(windowAbsent.scan, RunWindow(program, script).scan);

        Plant(groups, perGroup);
        cliScan = std::min(cliScan, RunCli(cli, L"--scan " + quoted) - startup);
        cliWhole = std::min(cliWhole, RunCli(cli, quoted) - startup);
        Plant(groups, perGroup);
        const WindowTimes times = RunWindow(program, script);
        window.scan = std::min(window.scan, times.scan);
        window.removal = std::min(window.removal, times.removal);
    }
    const double cliRemoval = cliWhole - cliScan;

    std::printf("items: %d\n", 2 * groups * perGroup);
    std::printf("command line start and end: %.3f s\n", startup);
    std::printf("absent scan: window %.3f s, command line %.3f s, ratio %.2f\n", windowAbsent.scan, cliAbsentScan,
                windowAbsent.scan / cliAbsentScan);
    std::printf("present scan: window %.3f s, command line %.3f s, ratio %.2f\n", window.scan, cliScan,
                window.scan / cliScan);
    std::printf("removal: window %.3f s, command line %.3f s (scan and removal %.3f s less the scan), ratio %.2f\n",
                window.removal, cliRemoval, cliWhole, window.removal / cliRemoval);
    std::printf("PASS\n");
    return 0;
}
