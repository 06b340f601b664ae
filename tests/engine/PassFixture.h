// A fixture for running compiled scripts through scan and removal passes,
// with in-memory lists, on either backend (the simulated machine on Linux,
// real Windows under Wine). Scripts name the test's scratch key and folder
// as {KEY} (HKCU\...) and {DIR}.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/MemoryPassLists.h"
#include "engine/PassRunner.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

class PassTest : public Contract, protected MemoryPassLists {
protected:
    void TearDown() override;

    // Compiles the source (with {KEY} and {DIR} replaced) into Scratch()\test.malware.
    std::string WriteScript(const std::string& source);
    PassResult Scan();
    PassResult Remove();
    // Both passes as automatic mode runs them.
    PassResult ScanAndRemove();

    // Caption and sub-items of a row, and its image index.
    static std::vector<std::string> Row(const ItemList& list, int row);
    // All rows of a list as texts, for whole-list comparisons.
    static std::vector<std::vector<std::string>> Rows(const ItemList& list);

    // The scratch key's registry, through the platform.
    std::string Key() const { return "HKCU\\" + ScratchKey(); }
    // {MKEY} in a script: the machine scratch key, of which 64-bit Windows
    // has one in each registry view.
    std::string MachineKey() { return "HKLM\\" + MachineScratchKey(); }
    void SetValue(const std::string& subKey, const std::string& name, DWORD type, const std::string& bytes);
    // Through RegSetValueExW: the bytes are stored as they are.
    void SetRawValue(const std::string& subKey, const std::u16string& name, DWORD type, const std::string& bytes);
    std::optional<std::pair<DWORD, std::string>> GetValue(const std::string& subKey, const std::string& name);
    bool KeyExists(const std::string& subKey);
    void CreateKey(const std::string& subKey);

    std::string scriptPath;
    std::string modulePath;
    PassOptions passOptions;  // for the removal pass

private:
    std::string FullKey(const std::string& subKey) const;
};

}  // namespace qm::test
