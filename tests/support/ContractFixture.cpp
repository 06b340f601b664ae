// Set-up and tidying of the contract suite's scratch folder and key.
#include "tests/support/ContractFixture.h"

#include <vector>

namespace qm::test {

void Contract::SetUp() {
    backend_ = MakeContractBackend();
    machineInUse_ = std::make_unique<UseMachine>(P());
    const std::string name = TestName();

    scratch_ = backend_->ScratchRoot() + "\\" + name;
    DeleteTree(scratch_);
    ASSERT_TRUE(P().CreateDirectoryA(scratch_.c_str(), nullptr))
        << "cannot create " << scratch_ << ", error " << P().GetLastError();

    scratchKey_ = "Software\\QuellmarContract\\" + name;
    DeleteKeyTree(HKCU, scratchKey_);
    HKEY key = 0;
    ASSERT_EQ(P().RegCreateKeyExA(HKCU, scratchKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    P().RegCloseKey(key);
}

void Contract::TearDown() {
    if (!backend_) return;
    if (!scratch_.empty()) DeleteTree(scratch_);
    if (!scratchKey_.empty()) DeleteKeyTree(HKCU, scratchKey_);
    if (!machineScratchKey_.empty())
        ForEachView([&](REGSAM view) { DeleteKeyTree(HKLM, machineScratchKey_, view); });
    machineInUse_.reset();
    backend_.reset();
}

void Contract::WriteFile(const std::string& path, std::string_view bytes) {
    HANDLE file = P().CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(file, kInvalidHandle) << "cannot create " << path << ", error " << P().GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(P().WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
    P().CloseHandle(file);
}

std::string Contract::ReadFile(const std::string& path) {
    HANDLE file = P().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == kInvalidHandle) {
        ADD_FAILURE() << "cannot open " << path << ", error " << P().GetLastError();
        return {};
    }
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (P().ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    P().CloseHandle(file);
    return text;
}

bool Contract::FileExists(const std::string& path) {
    const DWORD attributes = P().GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Tidying goes through the platform too, leaving read-only files writable first.
void Contract::DeleteTree(const std::string& path) {
    const DWORD attributes = P().GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        P().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        P().DeleteFileA(path.c_str());
        return;
    }
    std::vector<std::string> children;
    WIN32_FIND_DATAA data;
    HANDLE find = P().FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != kInvalidHandle) {
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") children.push_back(path + "\\" + name);
        } while (P().FindNextFileA(find, &data));
        P().FindClose(find);
    }
    for (const auto& child : children) DeleteTree(child);
    P().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    P().RemoveDirectoryA(path.c_str());
}

void Contract::DeleteKeyTree(HKEY root, const std::string& subKey, REGSAM view) {
    HKEY key = 0;
    if (P().RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (P().RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    for (const auto& name : names) DeleteKeyTree(key, name, view);
    P().RegCloseKey(key);
    if (view != 0)
        P().RegDeleteKeyExA(root, subKey.c_str(), view, 0);
    else
        P().RegDeleteKeyA(root, subKey.c_str());
}

const std::string& Contract::MachineScratchKey() {
    if (machineScratchKey_.empty()) {
        machineScratchKey_ = "Software\\QuellmarContract\\" + TestName();
        ForEachView([&](REGSAM view) { DeleteKeyTree(HKLM, machineScratchKey_, view); });
    }
    return machineScratchKey_;
}

void Contract::ForEachView(const std::function<void(REGSAM)>& action) {
    for (const REGSAM view : {REGSAM{0}, KEY_WOW64_64KEY, KEY_WOW64_32KEY}) action(view);
}

}  // namespace qm::test
