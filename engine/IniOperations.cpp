// The INI operations: values and sections of INI files added, changed and
// deleted through the private-profile functions, with their rows and report
// lines. Unlike the registry operations, the test runs in both passes.
#include "engine/Quarn_link.h"

#include <stdexcept>
#include <vector>

#include "engine/Backup.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Platform.h"

namespace qm {

namespace {

const std::string kAbsenceMarker = "#***Error***#";
const std::string kSectionMarker = "#!*TEMPORAR_UNISNTALL_VALUE!*#";

// An INI file known by its name only; every call opens and closes the file.
class ProfileFile {
public:
    explicit ProfileFile(std::string fileName) : fileName_(std::move(fileName)) {}

    std::string ReadString(const std::string& section, const std::string& name, const std::string& fallback) const {
        char buffer[2048] = {};
        const DWORD length = CurrentPlatform().GetPrivateProfileStringA(section.c_str(), name.c_str(),
                                                                        fallback.c_str(), buffer, sizeof buffer,
                                                                        fileName_.c_str());
        return std::string(buffer, length < sizeof buffer ? length : sizeof buffer - 1);
    }
    void WriteString(const std::string& section, const std::string& name, const std::string& text) const {
        if (!CurrentPlatform().WritePrivateProfileStringA(section.c_str(), name.c_str(), text.c_str(),
                                                          fileName_.c_str()))
            throw std::runtime_error("Unable to write to " + fileName_);
    }
    // Deleting a value cannot fail: its result is not looked at.
    void DeleteKey(const std::string& section, const std::string& name) const {
        CurrentPlatform().WritePrivateProfileStringA(section.c_str(), name.c_str(), nullptr, fileName_.c_str());
    }
    void EraseSection(const std::string& section) const {
        if (!CurrentPlatform().WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, fileName_.c_str()))
            throw std::runtime_error("Unable to write to " + fileName_);
    }
    std::vector<std::string> ReadSections() const {
        std::vector<char> buffer(16384, '\0');
        const DWORD length = CurrentPlatform().GetPrivateProfileStringA(
            nullptr, nullptr, nullptr, buffer.data(), static_cast<DWORD>(buffer.size()), fileName_.c_str());
        std::vector<std::string> names;
        for (DWORD at = 0; at < length && buffer[at] != '\0';) {
            std::string name(buffer.data() + at);
            at += static_cast<DWORD>(name.size()) + 1;
            names.push_back(std::move(name));
        }
        return names;
    }

private:
    std::string fileName_;
};

std::string ValueText(const std::uint8_t* data, std::uint16_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

bool SectionExists(const std::string& iniFile, const std::string& section) {
    const std::string wanted = AnsiUpperCase(section);
    for (const auto& name : ProfileFile(iniFile).ReadSections())
        if (AnsiUpperCase(name) == wanted) return true;
    return false;
}

// The whole INI file, kept once a pass before its first change.
std::optional<std::string> BackupIni(TBackup* backup, const std::string& iniFile) {
    if (backup == nullptr) return std::nullopt;
    // The profile functions look for a bare file name in the Windows folder.
    const bool bare = iniFile.find_first_of("\\/:") == std::string::npos;
    return backup->IniFile(bare ? InfoDir.GetWindowsFolder() + "\\" + iniFile : iniFile);
}

}  // namespace

void TlinkObject::AddIniValue(const std::string& IniFile, const std::string& Section,
                              const std::string& IniValueName, const std::uint8_t* NewData, std::uint16_t NewSize) {
    try {
        const ProfileFile ini(IniFile);
        const std::string text = ValueText(NewData, NewSize);
        // An absent value reads as empty text.
        if (ini.ReadString(Section, IniValueName, "") == text) return;
        if (FScanMode) {
            AddItemRow(FIniList, kCategoryIni, "Add New Value in INI", kPictureIniValue, {IniFile, Section, IniValueName});
            return;
        }
        if (!IsItemChecked(kCategoryIni)) return;
        if (!BackedUp(BackupIni(FBackup, IniFile), kCategoryIni, kOpAdd, IniValueName, IniFile + "[" + Section + "]"))
            return;
        bool failed = false;
        try {
            ini.WriteString(Section, IniValueName, text);
        } catch (const std::exception&) {
            failed = true;
        }
        AddReportLine(kCategoryIni, kOpAdd, failed, IniValueName, IniFile + "[" + Section + "]");
    } catch (const std::exception&) {
    }
}

void TlinkObject::DeleteIniValue(const std::string& IniFile, const std::string& Section,
                                 const std::string& IniValueName, const std::uint8_t*, std::uint16_t) {
    try {
        const ProfileFile ini(IniFile);
        if (ini.ReadString(Section, IniValueName, kAbsenceMarker) == kAbsenceMarker) return;
        if (FScanMode) {
            AddItemRow(FIniList, kCategoryIni, "Delete Value in INI", kPictureIniValue, {IniFile, Section, IniValueName});
            return;
        }
        if (!IsItemChecked(kCategoryIni)) return;
        if (!BackedUp(BackupIni(FBackup, IniFile), kCategoryIni, kOpDelete, IniValueName, IniFile + "[" + Section + "]"))
            return;
        bool failed = false;
        try {
            ini.DeleteKey(Section, IniValueName);
        } catch (const std::exception&) {
            failed = true;
        }
        AddReportLine(kCategoryIni, kOpDelete, failed, IniValueName, IniFile + "[" + Section + "]");
    } catch (const std::exception&) {
    }
}

void TlinkObject::ChangeIniValue(const std::string& IniFile, const std::string& Section,
                                 const std::string& IniValueName, const std::uint8_t* NewData, std::uint16_t NewSize,
                                 const std::uint8_t* OldData, std::uint16_t OldSize) {
    try {
        const ProfileFile ini(IniFile);
        const std::string current = ini.ReadString(Section, IniValueName, kAbsenceMarker);
        const std::string newText = ValueText(NewData, NewSize);
        // Listed only when the value is there, does not hold the new text yet
        // and holds exactly the old text.
        if (current == kAbsenceMarker || current == newText || current != ValueText(OldData, OldSize)) return;
        if (FScanMode) {
            AddItemRow(FIniList, kCategoryIni, "Change existing INI value", kPictureIniValue, {IniFile, Section, IniValueName});
            return;
        }
        if (!IsItemChecked(kCategoryIni)) return;
        if (!BackedUp(BackupIni(FBackup, IniFile), kCategoryIni, kOpChange, IniValueName, IniFile + "[" + Section + "]"))
            return;
        bool failed = false;
        try {
            ini.WriteString(Section, IniValueName, newText);
        } catch (const std::exception&) {
            failed = true;
        }
        AddReportLine(kCategoryIni, kOpChange, failed, IniValueName, IniFile + "[" + Section + "]");
    } catch (const std::exception&) {
    }
}

void TlinkObject::AddIniSection(const std::string& IniFile, const std::string& Section) {
    try {
        bool exists = true;  // a listing that fails counts as found: nothing to add
        try {
            exists = SectionExists(IniFile, Section);
        } catch (const std::exception&) {
        }
        if (FScanMode) {
            if (!exists) AddItemRow(FIniList, kCategoryIni, "Add New Section in INI", kPictureIniSection, {IniFile, Section});
            return;
        }
        if (!IsItemChecked(kCategoryIni)) return;
        bool failed = false;
        if (!exists && !BackedUp(BackupIni(FBackup, IniFile), kCategoryIni, kOpAdd, Section, IniFile)) return;
        if (!exists) {
            try {
                // Writing a value creates the section; deleting it leaves the section empty.
                const ProfileFile ini(IniFile);
                ini.WriteString(Section, kSectionMarker, kSectionMarker);
                ini.DeleteKey(Section, kSectionMarker);
            } catch (const std::exception&) {
                failed = true;
            }
        }
        AddReportLine(kCategoryIni, kOpAdd, failed, Section, IniFile);
    } catch (const std::exception&) {
    }
}

void TlinkObject::DeleteIniSection(const std::string& IniFile, const std::string& Section) {
    try {
        bool exists = false;  // a listing that fails counts as not found: nothing to delete
        try {
            exists = SectionExists(IniFile, Section);
        } catch (const std::exception&) {
        }
        if (FScanMode) {
            if (exists) AddItemRow(FIniList, kCategoryIni, "Delete Section in INI", kPictureIniSection, {IniFile, Section});
            return;
        }
        if (!IsItemChecked(kCategoryIni)) return;
        bool failed = false;
        if (exists && !BackedUp(BackupIni(FBackup, IniFile), kCategoryIni, kOpDelete, Section, IniFile)) return;
        if (exists) {
            try {
                ProfileFile(IniFile).EraseSection(Section);
            } catch (const std::exception&) {
                failed = true;
            }
        }
        AddReportLine(kCategoryIni, kOpDelete, failed, Section, IniFile);
    } catch (const std::exception&) {
    }
}

}  // namespace qm
