// Machine folders are never damaged by a run: a scan leaves them as they
// were, a removal run writes back only what changed (registry.reg in its own
// format, with its comments and exact data), every write is atomic, no
// symbolic link is followed out of the folder, and faults.txt declares
// failures for a script's author to try.
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "platform/sim/MachineFolder.h"
#include "tests/sim/MachineFolderSupport.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::sim {

namespace {

using namespace qm::sim::test;

constexpr const char* kPestScript =
    "description \"A test pest\"\n"
    "owner \"Pest\"\n"
    "delete value 'HKCU\\Software\\Keep' \"Pest\" REG_SZ\n"
    "delete key 'HKCU\\Software\\Pest'\n"
    "delete file 'C:\\pest\\pest.exe'\n";

// A Version 5 file as regedit writes it, with comments, text outside any
// code page and string data of odd size.
const std::u16string kVersion5 =
    u"Windows Registry Editor Version 5.00\r\n"
    u"\r\n"
    u"; A test machine: its comments stay.\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Keep]\r\n"
    u"\"Pest\"=\"C:\\\\pest\\\\pest.exe\"\r\n"
    u"\"Caf\u00E9 \u4E00\"=\"\u6F22\u5B57 stays\"\r\n"
    u"\"Odd\"=hex(1):41,00,42\r\n"
    u"\"Change\"=dword:00000001\r\n"
    u"\r\n"
    u"; The pest's own key.\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Pest]\r\n"
    u"\"Home\"=\"http://pest.example/\"\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Pest\\Sub]\r\n"
    u"\r\n";

std::string Version5File(std::u16string_view text) { return "\xFF\xFE" + Utf16(text); }

void MakePestMachine(const fs::path& machine) {
    WriteHost(machine / "machine.ini", "[Machine]\nStandard=yes\n");
    WriteHost(machine / "registry.reg", Version5File(kVersion5));
    WriteHost(machine / "processes.txt", "# running now\nC:\\pest\\pest.exe\n");
    WriteHost(machine / "next-start.txt", "# left by an earlier run\n");
    WriteHost(machine / "drive_c" / "pest" / "pest.exe", "MZ pest");
}

fs::path WriteScript(const fs::path& folder) {
    const std::vector<std::uint8_t> script = script::CompileScript(kPestScript, "pest.qms");
    WriteHost(folder / "pest.malware", std::string(script.begin(), script.end()));
    return folder / "pest.malware";
}

std::optional<RegValue> ValueOn(const fs::path& machine, std::u16string_view key, std::u16string_view name) {
    auto opened = OpenMachineFolder(machine);
    auto found = opened->registry().FindKey(key);
    const RegValue* value = found ? found->FindValue(name) : nullptr;
    return value ? std::optional<RegValue>(*value) : std::nullopt;
}

}  // namespace

TEST(MachineFolder, ScanChangesNothingAndRemovalWritesBackOnlyWhatChanged) {
    TempDir machine, scripts;
    MakePestMachine(machine.path());
    const fs::path script = WriteScript(scripts.path());
    const auto before = Contents(machine.path());

    std::string output;
    EXPECT_EQ(RunQuellmarCli({"--scan", "--machine", machine.path().string(), script.string()}, output),
              cli::kFoundScanOnly)
        << output;
    EXPECT_NE(output.find("Removal script: Z:\\pest.malware"), std::string::npos)
        << "the script is read where it is:\n" << output;
    EXPECT_EQ(Contents(machine.path()), before) << "a scan changed the machine folder";

    EXPECT_EQ(RunQuellmarCli({"--machine", machine.path().string(), script.string()}, output), cli::kCleaned)
        << output;
    EXPECT_FALSE(fs::exists(machine.path() / "drive_c" / "pest" / "pest.exe"));
    EXPECT_FALSE(fs::exists(machine.path() / "drive_c" / "Quellmar scripts")) << "the script was copied";
    EXPECT_EQ(ReadHost(machine.path() / "processes.txt"), "# running now\n");
    const std::string registry = ReadHost(machine.path() / "registry.reg");
    ASSERT_TRUE(registry.starts_with(Version5File(u"Windows Registry Editor Version 5.00\r\n")))
        << "registry.reg is no longer a Version 5 file";
    for (const char16_t* kept : {u"; A test machine: its comments stay.\r\n[HKEY_CURRENT_USER\\Software\\Keep]\r\n",
                                 u"\"Caf\u00E9 \u4E00\"=\"\u6F22\u5B57 stays\"\r\n\"Odd\"=hex(1):41,00,42\r\n"})
        EXPECT_NE(registry.find(Utf16(kept)), std::string::npos) << "lost: " << Utf16(kept);
    EXPECT_EQ(registry.find(Utf16(u"Pest")), std::string::npos) << "the pest's keys and values are still written";
    EXPECT_EQ(ValueOn(machine.path(), u"HKCU\\Software\\Keep", u"Odd"), (RegValue{REG_SZ, {0x41, 0, 0x42}}));
}

TEST(MachineFolder, ScanOfAScriptOnTheMachineSeesItsLinksAsTheFolderHasThem) {
    TempDir outside;
    WriteHost(outside.path() / "pest" / "pest.exe", "MZ elsewhere");
    struct Case {
        const char* what;
        bool inside;  // the link leads to a folder of the machine
    };
    for (const Case c : {Case{"a link inside", true}, Case{"a link out", false}}) {
        SCOPED_TRACE(c.what);
        TempDir machine;
        WriteHost(machine.path() / "machine.ini", "[Machine]\nStandard=yes\n");
        WriteHost(machine.path() / "drive_c" / "real" / "pest.exe", "MZ pest");
        fs::create_symlink(c.inside ? machine.path() / "drive_c" / "real" : outside.path() / "pest",
                           machine.path() / "drive_c" / "pest");
        fs::permissions(machine.path() / "drive_c" / "real" / "pest.exe", fs::perms::owner_write, fs::perm_options::remove);
        const fs::path script = WriteScript(machine.path() / "drive_c");
        const auto before = Contents(machine.path());

        std::string output;
        RunQuellmarCli({"--scan", "--machine", machine.path().string(), script.string()}, output);
        EXPECT_NE(output.find("Removal script: C:\\pest.malware"), std::string::npos) << output;
        EXPECT_EQ(output.find("C:\\pest\\pest.exe") != std::string::npos, c.inside) << output;
        if (!c.inside) {
            const std::string refused = "not followed: " + (machine.path() / "drive_c" / "pest").string();
            EXPECT_NE(output.find(refused), std::string::npos) << "the folder's own path is named:\n" << output;
        }
        EXPECT_EQ(Contents(machine.path()), before) << "a scan changed the machine folder";
        EXPECT_FALSE(fs::exists(machine.path() / "drive_c" / "WINDOWS")) << "Standard=yes wrote into the folder";
    }
    EXPECT_EQ(ReadHost(outside.path() / "pest" / "pest.exe"), "MZ elsewhere");
}

TEST(MachineFolder, RegistryFileKeepsEveryUnchangedLineByteForByte) {
    TempDir folder;
    WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
    WriteHost(folder.path() / "registry.reg", Version5File(kVersion5));
    {
        auto machine = OpenMachineFolder(folder.path());
        RegistryStore& registry = machine->registry();
        ASSERT_TRUE(registry.DeleteValue("HKCU\\Software\\Keep", "Pest"));
        ASSERT_TRUE(registry.SetDword("HKCU\\Software\\Keep", "Change", 2));
        ASSERT_TRUE(registry.DeleteKey("HKCU\\Software\\Pest"));
        registry.CreateKey(u"HKCU\\Software\\New")->SetValue(u"n", {REG_SZ, Utf16Bytes(std::u16string_view(u"\u00FC\u20AC\0", 3))});
        SaveMachineFolder(*machine, folder.path());
    }
    EXPECT_EQ(ReadHost(folder.path() / "registry.reg"),
              Version5File(u"Windows Registry Editor Version 5.00\r\n"
                           u"\r\n"
                           u"; A test machine: its comments stay.\r\n"
                           u"[HKEY_CURRENT_USER\\Software\\Keep]\r\n"
                           u"\"Caf\u00E9 \u4E00\"=\"\u6F22\u5B57 stays\"\r\n"
                           u"\"Odd\"=hex(1):41,00,42\r\n"
                           u"\"Change\"=dword:00000002\r\n"
                           u"\r\n"
                           u"[HKEY_CURRENT_USER\\Software\\New]\r\n"
                           u"\"n\"=\"\u00FC\u20AC\"\r\n"
                           u"\r\n"));
    EXPECT_FALSE(fs::exists(folder.path() / "processes.txt")) << "nothing ran and nothing ended: no file to write";
}

TEST(MachineFolder, Regedit4FileStaysRegedit4AndLosesNothing) {
    TempDir folder;
    const std::string original =
        "REGEDIT4\r\n\r\n; kept\r\n[HKEY_CURRENT_USER\\Software\\Old]\r\n\"Caf\xE9\"=\"ANSI text\"\r\n\r\n";
    WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
    WriteHost(folder.path() / "registry.reg", original);
    struct Case {
        std::u16string name;
        RegValue value;
    };
    const std::vector<Case> cases = {
        {u"\u540D\u524D", {REG_SZ, Utf16Bytes(std::u16string_view(u"\u4E00\0", 2))}},
        {u"odd size", {REG_SZ, {0x41, 0, 0x42}}},
        {u"line\r\nbreak", {REG_EXPAND_SZ, Utf16Bytes(std::u16string_view(u"%x%\0", 4))}},
        {u"multi", {REG_MULTI_SZ, Utf16Bytes(std::u16string_view(u"\u20AC\0\u0100\0\0", 5))}},
    };
    {
        auto machine = OpenMachineFolder(folder.path());
        auto key = machine->registry().CreateKey(u"HKCU\\Software\\New \u4E00");
        for (const auto& c : cases) key->SetValue(c.name, c.value);
        SaveMachineFolder(*machine, folder.path());
    }
    const std::string written = ReadHost(folder.path() / "registry.reg");
    EXPECT_TRUE(written.starts_with(original)) << written;
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16(c.name));
        EXPECT_EQ(ValueOn(folder.path(), u"HKCU\\Software\\New \u4E00", c.name), c.value);
    }
}

TEST(MachineFolder, FailedWriteLeavesTheOldFile) {
    // Which file is too big to write: the first one written, or the second
    // after the first was written whole.
    struct Case {
        const char* file;
        std::size_t registryBytes;
        std::size_t commentBytes;
    };
    for (const Case c : {Case{"registry.reg", 8000, 0}, Case{"processes.txt", 10, 3000}}) {
        SCOPED_TRACE(c.file);
        TempDir folder;
        const std::string original = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Old]\r\n\"v\"=\"old\"\r\n\r\n";
        WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
        WriteHost(folder.path() / "registry.reg", original);
        WriteHost(folder.path() / "processes.txt", "# " + std::string(c.commentBytes, 'c') + "\nC:\\pest.exe\n");
        auto machine = OpenMachineFolder(folder.path());
        ASSERT_TRUE(machine->registry().SetValue("HKCU\\Software\\Old", "big", REG_BINARY,
                                                 std::vector<BYTE>(c.registryBytes, 0xAB)));
        ASSERT_TRUE(machine->EndProcess(machine->processes().running().front().id));
        const auto before = Contents(folder.path());

        // Writes beyond 1,000 bytes fail, as on a full disk.
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        rlimit small = oldLimit;
        small.rlim_cur = 1000;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        bool threw = false;
        try {
            SaveMachineFolder(*machine, folder.path());
        } catch (const MachineFolderError& error) {
            threw = true;
            EXPECT_NE(std::string(error.what()).find(c.file), std::string::npos) << error.what();
        }
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_TRUE(threw) << "a failed write must be reported";
        EXPECT_EQ(Contents(folder.path()), before) << "every old file must stay whole, and no temporary file behind";
    }
}

TEST(MachineFolder, LinksOutOfTheFolderAreRefusedByName) {
    TempDir outside;
    WriteHost(outside.path() / "victim.txt", "outside");
    WriteHost(outside.path() / "victim.reg", "REGEDIT4\r\n");
    for (const char* name : {"registry.reg", "processes.txt", "next-start.txt", "drive_c"}) {
        SCOPED_TRACE(name);
        TempDir folder;
        fs::create_directories(folder.path() / "drive_d");
        fs::create_symlink(std::string(name) == "drive_c" ? outside.path() : outside.path() / "victim.reg",
                           folder.path() / name);
        try {
            OpenMachineFolder(folder.path());
            ADD_FAILURE() << "the link was accepted";
        } catch (const MachineFolderError& error) {
            EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(ReadHost(outside.path() / "victim.reg"), "REGEDIT4\r\n");
}

TEST(MachineFolder, DiskNeverFollowsALinkOutOfTheFolder) {
    TempDir outside, folder;
    WriteHost(outside.path() / "victim.txt", "outside");
    fs::create_directories(folder.path() / "drive_c" / "real");
    fs::create_symlink(outside.path(), folder.path() / "drive_c" / "out");
    fs::create_symlink(outside.path() / "victim.txt", folder.path() / "drive_c" / "file link");
    fs::create_symlink("real", folder.path() / "drive_c" / "in");
    WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
    auto machine = OpenMachineFolder(folder.path());

    // Each use of the links: the error it gives (0: it worked).
    auto error = [&](bool worked) { return worked ? DWORD{0} : machine->GetLastError(); };
    auto opens = [&](const char* path, DWORD access, DWORD creation) {
        const HANDLE file = machine->CreateFileA(path, access, 0, nullptr, creation, 0, 0);
        if (file != kInvalidHandle) machine->CloseHandle(file);
        return error(file != kInvalidHandle);
    };
    struct Case {
        const char* what;
        std::function<DWORD()> use;
    };
    const std::vector<Case> cases = {
        {"write through a folder link", [&] { return opens("C:\\out\\victim.txt", GENERIC_WRITE, CREATE_ALWAYS); }},
        {"read through a folder link", [&] { return opens("C:\\out\\victim.txt", GENERIC_READ, OPEN_EXISTING); }},
        {"write a file link", [&] { return opens("C:\\file link", GENERIC_WRITE, TRUNCATE_EXISTING); }},
        {"delete through a folder link", [&] { return error(machine->DeleteFileA("C:\\out\\victim.txt")); }},
        {"attributes through a folder link",
         [&] { return error(machine->GetFileAttributesA("C:\\out\\victim.txt") != INVALID_FILE_ATTRIBUTES); }},
        {"the shell deleting through a folder link", [&] {
             SHFILEOPSTRUCTA operation{};
             operation.wFunc = FO_DELETE;
             operation.pFrom = "C:\\out\\*\0";
             return static_cast<DWORD>(machine->SHFileOperationA(&operation));
         }},
    };
    for (const auto& c : cases) EXPECT_EQ(c.use(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.what;
    EXPECT_EQ(ReadHost(outside.path() / "victim.txt"), "outside");
    ASSERT_FALSE(machine->disk().refusedLinks().empty());
    EXPECT_NE(machine->disk().refusedLinks().front().find("drive_c/out"), std::string::npos)
        << machine->disk().refusedLinks().front();

    // A link that stays inside is followed.
    const HANDLE file = machine->CreateFileA("C:\\in\\made.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, 0);
    ASSERT_NE(file, kInvalidHandle) << machine->GetLastError();
    machine->CloseHandle(file);
    EXPECT_TRUE(fs::exists(folder.path() / "drive_c" / "real" / "made.txt"));
}

TEST(MachineFolder, RegistryFileBeyondWindowsLimitsIsRefusedWithoutRecursion) {
    struct Case {
        std::size_t levels;  // below HKEY_CURRENT_USER
        bool accepted;
    };
    for (const Case c : {Case{kMaxKeyDepth - 3, true}, Case{kMaxKeyDepth - 2, false}, Case{30000, false}}) {
        SCOPED_TRACE(c.levels);
        TempDir folder;
        std::string path = "HKEY_CURRENT_USER";
        for (std::size_t i = 0; i < c.levels; ++i) path += "\\k";
        WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
        WriteHost(folder.path() / "registry.reg", "REGEDIT4\r\n\r\n[" + path + "]\r\n\"v\"=\"deep\"\r\n");
        try {
            auto machine = OpenMachineFolder(folder.path());
            EXPECT_TRUE(c.accepted);
            EXPECT_EQ(machine->registry().GetString(path, "v"), "deep");
        } catch (const MachineFolderError& error) {
            EXPECT_FALSE(c.accepted) << error.what();
            EXPECT_NE(std::string(error.what()).find("registry.reg line 3"), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("512"), std::string::npos) << error.what();
        }
    }
}

TEST(MachineFolder, FaultsDeclaredInTheFolderMakeCallsFail) {
    TempDir folder;
    WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
    WriteHost(folder.path() / "drive_c" / "locked.txt", "x");
    WriteHost(folder.path() / "drive_c" / "free.txt", "x");
    WriteHost(folder.path() / "drive_c" / "Program Files" / "busy.txt", "x");
    WriteHost(folder.path() / "faults.txt",
              "# call   path   error\n"
              "DeleteFileA  C:\\locked.txt  ERROR_ACCESS_DENIED\n"
              "\n"
              "DeleteFileA  c:\\program files\\BUSY.TXT  32\n"
              "RegDeleteKeyA  HKEY_CURRENT_USER\\Software\\Stuck  0x5\n");
    auto machine = OpenMachineFolder(folder.path());
    ASSERT_TRUE(machine->registry().CreateKey("HKCU\\Software\\Stuck"));
    struct Case {
        const char* path;
        DWORD error;  // 0: the call succeeds
    };
    for (const Case c : {Case{"C:\\locked.txt", ERROR_ACCESS_DENIED}, Case{"C:\\Program Files\\busy.txt", ERROR_SHARING_VIOLATION},
                         Case{"C:\\free.txt", 0}}) {
        machine->SetLastError(0);
        EXPECT_EQ(machine->DeleteFileA(c.path) != FALSE, c.error == 0) << c.path;
        EXPECT_EQ(machine->GetLastError(), c.error) << c.path;
    }
    EXPECT_EQ(machine->RegDeleteKeyA(HKCU, "Software\\Stuck"), ERROR_ACCESS_DENIED);
}

TEST(MachineFolder, FaultsFileErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"DeleteFile C:\\x.txt 5\n", "faults.txt line 1: no failable call is named \"DeleteFile\""},
        {"# fine\nDeleteFileA C:\\x.txt NO_SUCH_ERROR\n", "faults.txt line 2: unknown error \"NO_SUCH_ERROR\""},
        {"\n\nDeleteFileA 5\n", "faults.txt line 3: expected a call, a path"},
    };
    for (const auto& c : cases) {
        TempDir folder;
        WriteHost(folder.path() / "machine.ini", "[Machine]\nStandard=no\n");
        WriteHost(folder.path() / "faults.txt", c.text);
        try {
            OpenMachineFolder(folder.path());
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const MachineFolderError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.expected, 0), 0u) << error.what();
        }
    }
}

}  // namespace qm::sim
