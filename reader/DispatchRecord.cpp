// The decoding of one record into its event: special records, then item
// records by operation (low byte of the type) and kind, then the status event.
#include "reader/Quarn_ReadSpecialFile.h"
#include "reader/RaiseEvent.h"

namespace qm {

namespace {

std::uint32_t FirstDoubleWord(const TDataBlock& block) {
    return static_cast<std::uint32_t>(block[0]) | static_cast<std::uint32_t>(block[1]) << 8 |
           static_cast<std::uint32_t>(block[2]) << 16 | static_cast<std::uint32_t>(block[3]) << 24;
}

// Delete and add of INI sections and values, and change of INI values, carry
// "file*section" in text 1.
bool SplitsIniPath(std::uint16_t operation, std::uint16_t kind) {
    if (operation == kOpDelete || operation == kOpAdd) return kind == kKindIniSection || kind == kKindIniValue;
    return operation == kOpChange && kind == kKindIniValue;
}

}  // namespace

bool TReadSpecialFile::DispatchRecord(std::uint16_t recordType, std::uint16_t kind, std::string text1,
                                      const std::string& text2, std::uint16_t size1, std::uint16_t size2) {
    switch (recordType) {
        case kRecordSearchFolder: {
            std::string folder = text1;
            if (!folder.empty() && folder.back() == '\\') folder.pop_back();
            RaiseEvent(OnAddSearchFolder, this, folder);
            return true;
        }
        case kRecordModuleCall:
            RaiseEvent(OnCallModule, this, text1);
            return true;
        case kRecordDescription:
            FDescription = text1;
            return true;
        case kRecordOwner:
            FCurrentOwner = text1;
            return true;
        default:
            break;
    }

    bool result = true;
    const bool wideName = (recordType >> 8) == 0xFF;
    const std::uint16_t operation = recordType & 0xFF;
    const std::uint8_t* block1 = FDataBlock1.data();
    const std::uint8_t* block2 = FDataBlock2.data();

    // After the split text 1 is the section; without a file name no INI
    // event is raised, but the status event still follows.
    std::string iniFile;
    if (SplitsIniPath(operation, kind)) {
        const std::size_t star = text1.find('*');
        if (star != std::string::npos) {
            iniFile = text1.substr(0, star);
            text1.erase(0, star + 1);
        }
    }
    const bool hasIniFile = !iniFile.empty();

    switch (operation) {
        case kOpDelete:
            switch (kind) {
                case kKindFileInText2:
                    if (text2.empty()) return true;
                    RaiseEvent(OnDeleteFile, this, text2);
                    break;
                case kKindIniSection:
                    if (hasIniFile) RaiseEvent(OnDeleteIniSection, this, iniFile, text1);
                    break;
                case kKindIniValue:
                    if (hasIniFile) RaiseEvent(OnDeleteIniValue, this, iniFile, text1, text2, block1, size1);
                    break;
                case kKindFolder: RaiseEvent(OnDeleteFolder, this, text1); break;
                case kKindFile: RaiseEvent(OnDeleteFile, this, text1); break;
                case kKindRegKey: RaiseEvent(OnDeleteRegKey, this, text1, wideName); break;
                default: RaiseEvent(OnDeleteRegValue, this, text1, text2, kind, block1, size1, wideName); break;
            }
            break;
        case kOpChange:
            // A key, a section or a folder cannot be changed: a malformed script.
            switch (kind) {
                case kKindIniSection:
                    RaiseError(this, "INI_SECTION:" + text1, count_);
                    result = false;
                    break;
                case kKindIniValue:
                    if (hasIniFile)
                        RaiseEvent(OnChangeIniValue, this, iniFile, text1, text2, block1, size1, block2, size2);
                    break;
                case kKindFolder:
                    RaiseError(this, "Disk_dir:" + text1, count_);
                    result = false;
                    break;
                case kKindFile:
                    RaiseEvent(OnChangeFile, this, text1, FirstDoubleWord(FDataBlock1), FirstDoubleWord(FDataBlock2));
                    break;
                case kKindRegKey:
                    RaiseError(this, "reg_key:" + text1, count_);
                    result = false;
                    break;
                default:  // kind 0x11 included: a registry value of that type
                    RaiseEvent(OnChangeRegValue, this, text1, text2, kind, block1, size1, block2, size2, wideName);
                    break;
            }
            break;
        case kOpAdd:
            switch (kind) {
                case kKindFileInText2:
                    if (text2.empty()) return true;
                    RaiseEvent(OnAddFile, this, text2);
                    break;
                case kKindIniSection:
                    if (hasIniFile) RaiseEvent(OnAddIniSection, this, iniFile, text1);
                    break;
                case kKindIniValue:
                    if (hasIniFile) RaiseEvent(OnAddIniValue, this, iniFile, text1, text2, block1, size1);
                    break;
                case kKindFolder: RaiseEvent(OnCreateFolder, this, text1); break;
                case kKindFile: RaiseEvent(OnAddFile, this, text1); break;
                case kKindRegKey: RaiseEvent(OnAddRegKey, this, text1, wideName); break;
                default: RaiseEvent(OnAddRegValue, this, text1, text2, kind, block1, size1, wideName); break;
            }
            break;
        case kOpRename:
            if (kind == kKindFolder)
                RaiseEvent(OnRenameFolder, this, text1, text2);
            else if (kind == kKindFile)
                RaiseEvent(OnRenameFile, this, text1, text2);
            break;
        case kOpRegister: RaiseEvent(OnRegisterServer, this, text1); break;
        case kOpUnregister: RaiseEvent(OnUnregisterServer, this, text1); break;
        default: break;  // unknown operation: only the status event
    }

    RaiseItemStatus(text1, text2, operation, kind);
    return result;
}

void TReadSpecialFile::RaiseItemStatus(const std::string& text1, const std::string& text2,
                                       std::uint16_t operation, std::uint16_t kind) {
    std::string path;
    if (!text1.empty() && !text2.empty())
        path = text1 + (text1.back() == '\\' ? "" : "\\") + text2;
    else if (!text1.empty())
        path = text1;
    else if (!text2.empty())
        path = text2;
    else
        return;
    RaiseEvent(OnItemStatus, this, path, operation, kind);
}

}  // namespace qm
