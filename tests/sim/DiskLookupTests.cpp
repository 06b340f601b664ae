// What lookups on the simulated disk cost, counted in host lookups (not in
// time): as many steps as the path has names, and per name the same in a
// big folder as in a small one; aliases of many similar names; drives that
// are write-protected.
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Handles.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

namespace fs = std::filesystem;

// The host lookups one call makes.
template <typename Call>
std::uint64_t LookupsOf(SimPlatform& machine, Call call) {
    const std::uint64_t before = machine.disk().hostLookups();
    call();
    return machine.disk().hostLookups() - before;
}

void HostFiles(const fs::path& folder, int count, const std::string& prefix) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) std::ofstream(folder / (prefix + std::to_string(i) + ".txt")) << "x";
}

}  // namespace

TEST(DiskLookup, CostGrowsWithTheDepthOfThePathAndNoFaster) {
    SimPlatform machine;
    std::string path = "C:";
    fs::path host = machine.hostRoot() / "drive_c";
    std::vector<std::pair<std::size_t, std::string>> depths;
    for (std::size_t depth = 1; depth <= 400; ++depth) {
        path += "\\Level";
        host /= "level";  // stored in another case, so each name is looked up without regard to case
        if (depth == 100 || depth == 400) depths.emplace_back(depth, path);
    }
    fs::create_directories(host);
    std::vector<std::uint64_t> costs;
    for (const auto& [depth, windowsPath] : depths) {
        DWORD attributes = 0;
        std::string shortPath, longPath;
        costs.push_back(LookupsOf(machine, [&] {
            EXPECT_EQ(machine.disk().GetAttributes(windowsPath, attributes), 0u) << depth;
            EXPECT_EQ(machine.disk().ShortPath(windowsPath, shortPath), 0u) << depth;
            EXPECT_EQ(machine.disk().LongPath(windowsPath, longPath), 0u) << depth;
        }));
        EXPECT_EQ(std::count(longPath.begin(), longPath.end(), '\\'), static_cast<long>(depth));
    }
    // Four times the depth: about four times the lookups (the square would be sixteen).
    EXPECT_LE(costs[1], costs[0] * 9 / 2) << costs[0] << " lookups at 100 levels, " << costs[1] << " at 400";
}

TEST(DiskLookup, ANameCostsTheSameInABigFolderAsInASmallOne) {
    SimPlatform machine;
    HostFiles(machine.hostRoot() / "drive_c" / "small", 10, "Entry ");
    HostFiles(machine.hostRoot() / "drive_c" / "big", 5000, "Entry ");
    std::vector<std::uint64_t> firstLookups;
    auto lookups = [&](const char* folder) {
        const std::string base = std::string("C:\\") + folder + "\\";
        // A name spelled as stored is found without reading its folder, the first time too.
        firstLookups.push_back(LookupsOf(machine, [&] {
            DWORD attributes = 0;
            EXPECT_EQ(machine.disk().GetAttributes(base + "Entry 7.txt", attributes), 0u);
        }));
        // The aliases are made next (reading the folder once); the lookups after are what is measured.
        std::vector<std::string> aliases;
        for (int i = 0; i < 10; ++i) {
            std::string alias;
            EXPECT_EQ(machine.disk().ShortPath(base + "Entry " + std::to_string(i) + ".txt", alias), 0u);
            EXPECT_NE(alias.find('~'), std::string::npos) << alias;
            aliases.push_back(alias);
        }
        return LookupsOf(machine, [&] {
            DWORD attributes = 0;
            for (int i = 0; i < 10; ++i) {
                const std::string path = base + "ENTRY " + std::to_string(i) + ".TXT";
                EXPECT_EQ(machine.disk().GetAttributes(path, attributes), 0u) << path;
                EXPECT_EQ(machine.disk().GetAttributes(aliases[i], attributes), 0u) << aliases[i];
            }
        });
    };
    const std::uint64_t small = lookups("small");
    const std::uint64_t big = lookups("big");
    EXPECT_EQ(big, small) << "per lookup, a folder of 5,000 names costs what a folder of ten does";
    EXPECT_EQ(firstLookups[1], firstLookups[0]) << "the first lookup in a folder of 5,000 names read the folder";
}

TEST(DiskLookup, ManySimilarLongNamesGetUniqueAliasesThatFindThem) {
    SimPlatform machine;
    HostFiles(machine.hostRoot() / "drive_c" / "cache", 300, "Long File Name ");
    std::vector<std::string> aliases;
    WIN32_FIND_DATAA data;
    FindHandle find(machine, machine.FindFirstFileA("C:\\cache\\*.txt", &data));
    ASSERT_TRUE(find);
    do {
        aliases.push_back(data.cAlternateFileName);
        const std::string byAlias = std::string("C:\\cache\\") + data.cAlternateFileName;
        char longPath[MAX_PATH] = {};
        ASSERT_GT(machine.GetLongPathNameA(byAlias.c_str(), longPath, sizeof longPath), 0u) << byAlias;
        EXPECT_EQ(std::string(longPath), std::string("C:\\cache\\") + data.cFileName);
    } while (machine.FindNextFileA(find.get(), &data));
    ASSERT_EQ(aliases.size(), 300u);
    std::vector<std::string> sorted = aliases;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "two names share an alias";
    // The first four take the numbered alias; the others a hashed one, as on NTFS.
    for (const char* numbered : {"LONGFI~1.TXT", "LONGFI~2.TXT", "LONGFI~3.TXT", "LONGFI~4.TXT"})
        EXPECT_NE(std::find(aliases.begin(), aliases.end(), numbered), aliases.end()) << numbered;
    EXPECT_EQ(std::find(aliases.begin(), aliases.end(), "LONGFI~5.TXT"), aliases.end());
}

TEST(DiskLookup, WriteProtectedDriveIsReadButNeverChanged) {
    SimPlatform machine;
    const fs::path cd = machine.hostRoot() / "cd";
    fs::create_directories(cd / "folder");
    std::ofstream(cd / "file.txt") << "on the cd";
    machine.disk().MapDrive('R', cd, true);
    {
        FileHandle file(machine, machine.CreateFileA("R:\\file.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, 0, 0));
        EXPECT_TRUE(file) << machine.GetLastError();
    }
    auto open = [&](const char* path, DWORD access, DWORD creation) {
        FileHandle file(machine, machine.CreateFileA(path, access, 0, nullptr, creation, 0, 0));
        return file ? TRUE : FALSE;
    };
    const std::vector<std::pair<const char*, std::function<BOOL()>>> cases = {
        {"open for writing", [&] { return open("R:\\file.txt", GENERIC_WRITE, OPEN_EXISTING); }},
        {"create a file", [&] { return open("R:\\new.txt", GENERIC_WRITE, CREATE_NEW); }},
        {"delete a file", [&] { return machine.DeleteFileA("R:\\file.txt"); }},
        {"make a folder", [&] { return machine.CreateDirectoryA("R:\\new", nullptr); }},
        {"remove a folder", [&] { return machine.RemoveDirectoryA("R:\\folder"); }},
        {"rename a file", [&] { return machine.MoveFileA("R:\\file.txt", "R:\\renamed.txt"); }},
        {"copy onto the drive", [&] { return machine.CopyFileA("R:\\file.txt", "R:\\copy.txt", FALSE); }},
        {"set attributes", [&] { return machine.SetFileAttributesA("R:\\file.txt", FILE_ATTRIBUTE_HIDDEN); }},
    };
    for (const auto& [what, call] : cases) {
        machine.SetLastError(0);
        EXPECT_FALSE(call()) << what;
        EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_WRITE_PROTECT)) << what;
    }
    EXPECT_TRUE(fs::exists(cd / "file.txt"));
    EXPECT_TRUE(fs::exists(cd / "folder"));
    EXPECT_EQ(std::distance(fs::directory_iterator(cd), fs::directory_iterator()), 2);
}

}  // namespace qm::sim
