// Contract of what 64-bit Windows adds: the machine's processor and WOW64,
// the 32-bit system folder, the two registry views (redirected and shared
// keys, told apart by NtQueryKey's key names), deleting in one view, the
// full image path of a process, and starting a program and waiting for its
// exit code.
#include <cstring>
#include <string>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && Upper(text.substr(text.size() - tail.size())) == Upper(tail);
}

class Wow64Contract : public Contract {
protected:
    void Need64BitWindows() {
        if (!backend().Use64BitWindows()) GTEST_SKIP() << "a 32-bit Windows";
    }

    HKEY Open(HKEY root, const std::string& path, REGSAM access) {
        HKEY key = 0;
        const LONG result = P().RegOpenKeyExA(root, path.c_str(), 0, access, &key);
        lastResult = result;
        return result == ERROR_SUCCESS ? key : HKEY{0};
    }
    HKEY Create(HKEY root, const std::string& path, REGSAM access) {
        HKEY key = 0;
        lastResult = P().RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                         &key, nullptr);
        return lastResult == ERROR_SUCCESS ? key : HKEY{0};
    }
    // The key's kernel name, as NtQueryKey gives it.
    std::u16string KernelName(HKEY key) {
        unsigned char buffer[2048] = {};
        ULONG needed = 0;
        EXPECT_EQ(P().NtQueryKey(key, kKeyNameInformation, buffer, sizeof buffer, &needed), kStatusSuccess);
        ULONG bytes = 0;
        std::memcpy(&bytes, buffer, sizeof bytes);
        EXPECT_EQ(needed, sizeof bytes + bytes);
        std::u16string name(bytes / 2, u'\0');
        std::memcpy(name.data(), buffer + sizeof bytes, bytes);
        return name;
    }
    static std::string Narrow(const std::u16string& text) {
        std::string narrow;
        for (char16_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
        return narrow;
    }

    LONG lastResult = 0;
};

}  // namespace

TEST_F(Wow64Contract, NativeSystemInfoAndWow64_DescribeTheMachineAndThisProgram) {
    SYSTEM_INFO info;
    P().GetNativeSystemInfo(&info);
    const bool x64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                     info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
    EXPECT_TRUE(x64 || info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL) << info.wProcessorArchitecture;
    EXPECT_GT(info.dwPageSize, 0u);

    // This test program is native to the machine: never a WOW64 process.
    BOOL wow64 = TRUE;
    ASSERT_TRUE(P().IsWow64Process(P().GetCurrentProcess(), &wow64)) << P().GetLastError();
    EXPECT_FALSE(wow64);

    // Only a 64-bit Windows has a 32-bit system folder.
    char folder[MAX_PATH + 1] = {};
    P().SetLastError(0);
    const UINT length = P().GetSystemWow64DirectoryA(folder, sizeof folder);
    if (x64) {
        EXPECT_EQ(length, std::strlen(folder));
        EXPECT_TRUE(EndsWith(folder, "\\SysWOW64")) << folder;
    } else {
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    }
}

TEST_F(Wow64Contract, GetSystemWow64DirectoryA_TooSmallABuffer_GivesTheSizeNeeded) {
    Need64BitWindows();
    char folder[MAX_PATH + 1] = {};
    const UINT length = P().GetSystemWow64DirectoryA(folder, sizeof folder);
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(P().GetSystemWow64DirectoryA(small, sizeof small), length + 1);
}

TEST_F(Wow64Contract, RedirectedKey_Has32BitCopyInWow6432Node_SeenOnlyFromItsView) {
    Need64BitWindows();
    const std::string path = MachineScratchKey() + "\\Pest";
    const HKEY wow32 = Create(HKLM, path, KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    ASSERT_NE(wow32, HKEY{0}) << lastResult;
    static const char kData[] = "32";
    ASSERT_EQ(P().RegSetValueExA(wow32, "Run", 0, REG_SZ, reinterpret_cast<const BYTE*>(kData), sizeof kData),
              ERROR_SUCCESS);

    // The 64-bit view has no such key; the 32-bit one lives in Wow6432Node.
    EXPECT_EQ(Open(HKLM, path, KEY_READ | KEY_WOW64_64KEY), HKEY{0});
    EXPECT_EQ(lastResult, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(HKLM, path, KEY_READ), HKEY{0}) << "this 64-bit program's own view is the 64-bit one";
    const std::string physical = "Software\\Wow6432Node\\" + path.substr(std::strlen("Software\\"));
    const HKEY direct = Open(HKLM, physical, KEY_READ | KEY_WOW64_64KEY);
    ASSERT_NE(direct, HKEY{0}) << lastResult;

    // One key, one kernel name, whichever view or path reached it.
    const std::u16string name = KernelName(wow32);
    EXPECT_EQ(name, KernelName(direct));
    EXPECT_NE(Upper(Narrow(name)).find("\\SOFTWARE\\WOW6432NODE\\QUELLMARCONTRACT\\"), std::string::npos)
        << Narrow(name);

    // A 64-bit key of the same path is another key.
    const HKEY native = Create(HKLM, path, KEY_ALL_ACCESS | KEY_WOW64_64KEY);
    ASSERT_NE(native, HKEY{0}) << lastResult;
    EXPECT_NE(KernelName(native), name);
    EXPECT_EQ(P().RegQueryValueExA(native, "Run", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    for (HKEY key : {wow32, direct, native}) P().RegCloseKey(key);
}

TEST_F(Wow64Contract, SharedKeys_AreOneKeyInBothViews) {
    Need64BitWindows();
    // HKEY_CURRENT_USER\Software and HKLM\Software\Policies are shared.
    for (const auto& [root, path] : {std::pair{HKCU, ScratchKey()}, std::pair{HKLM, std::string("Software\\Policies")}}) {
        SCOPED_TRACE(path);
        const HKEY native = Create(root, path, KEY_READ | KEY_WOW64_64KEY);
        const HKEY wow32 = Create(root, path, KEY_READ | KEY_WOW64_32KEY);
        ASSERT_NE(native, HKEY{0});
        ASSERT_NE(wow32, HKEY{0});
        EXPECT_EQ(KernelName(native), KernelName(wow32));
        P().RegCloseKey(native);
        P().RegCloseKey(wow32);
    }
}

TEST_F(Wow64Contract, ClassIdKeys_Are32BitCopiesBelowClassesWow6432Node_FromHklmAndHkcr) {
    Need64BitWindows();
    const std::string clsid = "CLSID\\{6D3F1B2A-0C4E-4A57-9E11-5155454C4C4D}";
    P().RegDeleteKeyExA(HKLM, ("Software\\Classes\\" + clsid).c_str(), KEY_WOW64_32KEY, 0);
    const HKEY viaMachine = Create(HKLM, "Software\\Classes\\" + clsid, KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    ASSERT_NE(viaMachine, HKEY{0}) << lastResult;
    const HKEY viaClasses = Open(HKCR, clsid, KEY_READ | KEY_WOW64_32KEY);
    ASSERT_NE(viaClasses, HKEY{0}) << lastResult;
    const std::u16string name = KernelName(viaMachine);
    EXPECT_EQ(name, KernelName(viaClasses));
    EXPECT_NE(Upper(Narrow(name)).find("\\SOFTWARE\\CLASSES\\WOW6432NODE\\CLSID\\"), std::string::npos)
        << Narrow(name);
    EXPECT_EQ(Open(HKCR, clsid, KEY_READ | KEY_WOW64_64KEY), HKEY{0});
    P().RegCloseKey(viaMachine);
    P().RegCloseKey(viaClasses);
    EXPECT_EQ(P().RegDeleteKeyExA(HKLM, ("Software\\Classes\\" + clsid).c_str(), KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
    EXPECT_EQ(Open(HKCR, clsid, KEY_READ | KEY_WOW64_32KEY), HKEY{0});
}

TEST_F(Wow64Contract, RegDeleteKeyExA_DeletesInTheViewItNames) {
    Need64BitWindows();
    const std::string path = MachineScratchKey() + "\\Twice";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) P().RegCloseKey(Create(HKLM, path, KEY_ALL_ACCESS | view));

    EXPECT_EQ(P().RegDeleteKeyExA(HKLM, path.c_str(), KEY_WOW64_32KEY, 0), ERROR_SUCCESS);
    EXPECT_EQ(Open(HKLM, path, KEY_READ | KEY_WOW64_32KEY), HKEY{0});
    const HKEY native = Open(HKLM, path, KEY_READ | KEY_WOW64_64KEY);
    EXPECT_NE(native, HKEY{0}) << "the 64-bit key stays";
    P().RegCloseKey(native);
    EXPECT_EQ(P().RegDeleteKeyExA(HKLM, path.c_str(), KEY_WOW64_32KEY, 0), ERROR_FILE_NOT_FOUND);
}

TEST_F(Wow64Contract, BothViewFlagsAtOnce_AreRefused) {
    Need64BitWindows();
    const HKEY key = Open(HKLM, "Software", KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (IsWine()) {
        // Wine takes one of them, as Windows Vista and earlier did.
        EXPECT_EQ(lastResult, ERROR_SUCCESS);
        P().RegCloseKey(key);
        return;
    }
    EXPECT_EQ(lastResult, ERROR_INVALID_PARAMETER);
}

TEST_F(Wow64Contract, NtQueryKey_SmallBuffersAndBadHandles) {
    const HKEY key = Open(HKCU, ScratchKey(), KEY_READ);
    ASSERT_NE(key, HKEY{0});
    unsigned char buffer[16] = {};
    ULONG needed = 0;
    // No room for the length: nothing but the size needed.
    EXPECT_EQ(P().NtQueryKey(key, kKeyNameInformation, buffer, 2, &needed), kStatusBufferTooSmall);
    const ULONG full = needed;
    EXPECT_GT(full, 4u + 2 * ScratchKey().size());
    // Room for the length and part of the name: the length whole, the name cut.
    EXPECT_EQ(P().NtQueryKey(key, kKeyNameInformation, buffer, sizeof buffer, &needed), kStatusBufferOverflow);
    EXPECT_EQ(needed, full);
    ULONG bytes = 0;
    std::memcpy(&bytes, buffer, sizeof bytes);
    EXPECT_EQ(bytes, full - 4);
    EXPECT_EQ(buffer[4], '\\');
    P().RegCloseKey(key);
    EXPECT_EQ(P().NtQueryKey(HKEY{0x7654}, kKeyNameInformation, buffer, sizeof buffer, &needed), kStatusInvalidHandle);
}

TEST_F(Wow64Contract, QueryFullProcessImageNameA_GivesThisProgramsFile) {
    Need64BitWindows();
    char own[MAX_PATH + 1] = {};
    ASSERT_GT(P().GetModuleFileNameA(0, own, sizeof own), 0u);
    char image[MAX_PATH + 1] = {};
    DWORD size = sizeof image;
    ASSERT_TRUE(P().QueryFullProcessImageNameA(P().GetCurrentProcess(), 0, image, &size)) << P().GetLastError();
    EXPECT_EQ(size, std::strlen(image));
    EXPECT_EQ(Upper(image), Upper(own));

    char small[4];
    size = sizeof small;
    EXPECT_FALSE(P().QueryFullProcessImageNameA(P().GetCurrentProcess(), 0, small, &size));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(Wow64Contract, CreateProcessA_RunsAProgram_WaitAndExitCodeTellWhenAndHowItEnded) {
    const auto program = backend().ProgramThatExitsWith(7, Scratch());
    std::string commandLine = "\"" + program.path + "\" " + program.arguments;
    STARTUPINFOA startup;
    startup.cb = 68;
    PROCESS_INFORMATION started;
    ASSERT_TRUE(P().CreateProcessA(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started))
        << P().GetLastError();
    EXPECT_NE(started.dwProcessId, 0u);
    EXPECT_EQ(P().WaitForSingleObject(started.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(P().GetExitCodeProcess(started.hProcess, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(P().CloseHandle(started.hThread));
    EXPECT_TRUE(P().CloseHandle(started.hProcess));

    // A program file that is not there does not start.
    std::string missing = "\"" + InScratch("missing.exe") + "\"";
    P().SetLastError(0);
    EXPECT_FALSE(P().CreateProcessA(nullptr, missing.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                    nullptr, &startup, &started));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Wow64Contract, GetExitCodeProcess_OfARunningProgram_IsStillActive) {
    char folder[MAX_PATH + 1] = {};
    P().GetSystemDirectoryA(folder, sizeof folder);
    const DWORD child = backend().StartProgram(std::string(folder) + "\\PING.EXE", "-n 30 127.0.0.1");
    ASSERT_NE(child, 0u);
    const HANDLE process = P().OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child);
    ASSERT_NE(process, HANDLE{0}) << P().GetLastError();
    DWORD code = 0;
    EXPECT_TRUE(P().GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(P().WaitForSingleObject(process, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(P().TerminateProcess(process, 3));
    EXPECT_EQ(P().WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(P().GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 3u);
    P().CloseHandle(process);
}

TEST_F(Wow64Contract, GetCommandLineA_StartsWithThisProgram) {
    char own[MAX_PATH + 1] = {};
    P().GetModuleFileNameA(0, own, sizeof own);
    std::string line = P().GetCommandLineA();
    if (!line.empty() && line.front() == '"') line.erase(0, 1);
    const std::string name = std::string(own).substr(std::string(own).find_last_of('\\') + 1);
    const auto at = Upper(line).find(Upper(name));
    EXPECT_NE(at, std::string::npos) << line;
}

}  // namespace qm::test
