// The engine's construction, item numbering, rows, check lookup, event
// handlers, status text, progress forwarding and the corrupt-script halt.
#include "engine/Quarn_link.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "engine/GuardRails.h"
#include "engine/ProgramEnd.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Platform.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

TlinkObject::TlinkObject() : FRegData(std::make_unique<std::array<std::uint8_t, 65536>>()) {
    FBothHalves = SeesBothHalves();
    FGuardRails = std::make_unique<TGuardRails>();
    FSearchFolders = std::make_unique<SortedStringList>();
    BuildSearchFolders();
    FItemNumber = 0;
    FPendingFolders = std::make_unique<SortedStringList>();
    FPendingFiles = std::make_unique<SortedStringList>();
    FHadErrors = false;
}

TlinkObject::~TlinkObject() {
    FSearchFolders.reset();
    FPendingFolders.reset();
    FPendingFiles.reset();
}

bool TlinkObject::Refused(const std::optional<std::string>& Reason, std::uint8_t Category, std::uint16_t Operation,
                          const std::string& Name, const std::string& Path) {
    if (!Reason) return false;
    const TRefusalNote note{Category, Operation, Name, Path, *Reason};
    if (FScanMode)
        FRefusals.push_back(note);
    else
        AddRefusalLine(note);
    return true;
}

void TlinkObject::BeginItem(TReadSpecialFile* Sender) {
    ++FItemNumber;
    FOwnerName = Sender != nullptr ? Sender->FCurrentOwner : std::string();
}

ItemList* TlinkObject::ListOfCategory(std::uint8_t category) const {
    switch (category) {
        case kCategoryRegistry: return FRegistryList;
        case kCategoryDisk: return FDiskList;
        case kCategoryIni: return FIniList;
        case kCategoryProcess: return FProcessList;
        case kCategoryServer: return FServerList;
        default: return nullptr;
    }
}

bool TlinkObject::IsItemChecked(std::uint8_t category) {
    if (FScanMode) return true;
    if (category == kCategoryProcess) return true;  // running programs are always stopped
    ItemList* list = ListOfCategory(category);
    if (list == nullptr) return false;
    try {
        // The first row, in list order, whose last sub-item is this item's number.
        const int row = list->FindFirstRowByLastSubItem(std::to_string(FItemNumber));
        return row >= 0 && list->Checked(row);
    } catch (const std::exception&) {
        return false;
    }
}

void TlinkObject::PadSubItems(ItemList& list, int row, std::uint8_t category) {
    static constexpr int kTargets[] = {3, 2, 3, 1, 1};
    if (category > kCategoryServer) return;
    const int target = kTargets[category];
    const int count = list.SubItemCount(row);
    if (count > target) return;
    for (int i = 0; i < target - count + 1; ++i) list.AddSubItem(row, "*");
}

void TlinkObject::AddItemRow(ItemList* target, std::uint8_t category, const char* caption, int image,
                             std::initializer_list<std::string> texts) {
    if (target == nullptr) throw std::logic_error("no item list for this category");
    ItemList& list = *target;
    const int row = list.AddRow();
    list.SetCaption(row, caption);
    list.SetImageIndex(row, image);
    list.AddSubItem(row, FOwnerName);
    for (const auto& text : texts) list.AddSubItem(row, text);
    PadSubItems(list, row, category);
    list.AddSubItem(row, std::to_string(FItemNumber));
}

// ---- Event handlers ----

void TlinkObject::OnAddRegKey(TReadSpecialFile* Sender, const std::string& Path, bool) {
    BeginItem(Sender);
    AddRegistryKey(Path);
}

void TlinkObject::OnDeleteRegKey(TReadSpecialFile* Sender, const std::string& Path, bool) {
    BeginItem(Sender);
    DeleteRegistryKey(Path);
}

void TlinkObject::OnDeleteRegValue(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                                   std::uint16_t DataType, const std::uint8_t* Data, std::uint16_t DataSize,
                                   bool WideName) {
    BeginItem(Sender);
    DeleteRegistryValue(Path, ValueName, DataType, Data, DataSize, WideName);
}

void TlinkObject::OnAddRegValue(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                                std::uint16_t DataType, const std::uint8_t* Data, std::uint16_t DataSize,
                                bool WideName) {
    BeginItem(Sender);
    AddRegistryValue(Path, ValueName, DataType, Data, DataSize, WideName);
}

void TlinkObject::OnChangeRegValue(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                                   std::uint16_t DataType, const std::uint8_t* NewData, std::uint16_t NewSize,
                                   const std::uint8_t* OldData, std::uint16_t OldSize, bool WideName) {
    BeginItem(Sender);
    ChangeRegistryValue(Path, ValueName, DataType, NewData, NewSize, OldData, OldSize, WideName);
}

std::vector<std::string> TlinkObject::CopiesOf(const std::string& path) const {
    std::vector<std::string> copies{path};
    if (FBothHalves)
        if (auto twin = ThirtyTwoBitTwin(path)) copies.push_back(*twin);
    return copies;
}

void TlinkObject::OnDeleteFolder(TReadSpecialFile* Sender, const std::string& Path) {
    BeginItem(Sender);
    for (const std::string& copy : CopiesOf(InfoDir.ExpandVariables(Path))) DeleteFolderItem(copy);
}

void TlinkObject::OnCreateFolder(TReadSpecialFile* Sender, const std::string& Path) {
    BeginItem(Sender);
    CreateFolderItem(InfoDir.ExpandVariables(Path));
}

void TlinkObject::OnDeleteFile(TReadSpecialFile* Sender, const std::string& Path) {
    BeginItem(Sender);
    const std::string resolved = ResolveFileName(InfoDir.ExpandVariables(Path), false, kOpDelete);
    const std::vector<std::string> copies = CopiesOf(resolved);
    for (const std::string& copy : copies) EraseFileItem(copy);
    // The running program started from this file gets the next number.
    BeginItem(Sender);
    for (const std::string& copy : copies) KillRunningProcess(copy);
}

void TlinkObject::OnAddFile(TReadSpecialFile* Sender, const std::string&) { BeginItem(Sender); }

void TlinkObject::OnChangeFile(TReadSpecialFile* Sender, const std::string&, std::uint32_t, std::uint32_t) {
    BeginItem(Sender);
}

void TlinkObject::OnAddIniSection(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section) {
    BeginItem(Sender);
    AddIniSection(IniFile, Section);
}

void TlinkObject::OnDeleteIniSection(TReadSpecialFile* Sender, const std::string& IniFile,
                                     const std::string& Section) {
    BeginItem(Sender);
    for (const std::string& copy : CopiesOf(IniFile)) DeleteIniSection(copy, Section);
}

void TlinkObject::OnAddIniValue(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                                const std::string& IniValueName, const std::uint8_t* NewData, std::uint16_t NewSize) {
    BeginItem(Sender);
    AddIniValue(IniFile, Section, IniValueName, NewData, NewSize);
}

void TlinkObject::OnDeleteIniValue(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                                   const std::string& IniValueName, const std::uint8_t* Data,
                                   std::uint16_t DataSize) {
    BeginItem(Sender);
    for (const std::string& copy : CopiesOf(IniFile)) DeleteIniValue(copy, Section, IniValueName, Data, DataSize);
}

void TlinkObject::OnChangeIniValue(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                                   const std::string& IniValueName, const std::uint8_t* NewData,
                                   std::uint16_t NewSize, const std::uint8_t* OldData, std::uint16_t OldSize) {
    BeginItem(Sender);
    for (const std::string& copy : CopiesOf(IniFile))
        ChangeIniValue(copy, Section, IniValueName, NewData, NewSize, OldData, OldSize);
}

void TlinkObject::OnError(TReadSpecialFile*, const std::string&, std::int32_t) {
    Platform& p = CurrentPlatform();
    p.MessageBoxA(0, "Corupt Instalation!\r\nProgram Halted!", "Quellmar", MB_OK | MB_ICONHAND);
    RemoveModuleFile(FModulePath);
    RequestProgramEnd();
}

void TlinkObject::OnProgress(TReadSpecialFile* Sender, std::int32_t Position) {
    if (FOnProgress.code != nullptr) FOnProgress.code(FOnProgress.context, Sender, Position);
}

void TlinkObject::OnProgressMax(TReadSpecialFile* Sender, std::int32_t Maximum) {
    if (FOnProgressMax.code != nullptr) FOnProgressMax.code(FOnProgressMax.context, Sender, Maximum);
}

void TlinkObject::OnFinished(TReadSpecialFile*) {}

void TlinkObject::OnRenameFolder(TReadSpecialFile* Sender, const std::string& NewPath, const std::string& OldPath) {
    BeginItem(Sender);
    const std::string newPath = InfoDir.ExpandVariables(NewPath);
    const std::string oldPath = InfoDir.ExpandVariables(OldPath);
    // The 32-bit twin is renamed within its own half, when both names have one.
    const std::vector<std::string> oldCopies = CopiesOf(oldPath), newCopies = CopiesOf(newPath);
    for (std::size_t i = 0; i < std::min(oldCopies.size(), newCopies.size()); ++i) {
        // The record's kind plays no part: what lies at the old path decides.
        if (FileExists(oldCopies[i]))
            RenameFileItem(newCopies[i], oldCopies[i]);
        else
            RenameFolderItem(newCopies[i], oldCopies[i]);
    }
}

void TlinkObject::OnRenameFile(TReadSpecialFile* Sender, const std::string& NewPath, const std::string& OldPath) {
    OnRenameFolder(Sender, NewPath, OldPath);
}

void TlinkObject::OnItemStatus(TReadSpecialFile*, const std::string& Path, std::uint16_t Operation,
                               std::uint16_t) {
    if (Path.empty()) return;
    std::string text = FScanMode ? "Searching for items to " : "";
    switch (Operation) {
        case kOpDelete: text += "delete "; break;
        case kOpChange: text += "change "; break;
        case kOpAdd: text += "add "; break;
        case kOpRename: text += "rename "; break;
        default: return;  // register, unregister and unknown codes show nothing
    }
    if (FOnStatus != nullptr) FOnStatus(text, Path, FScanMode);
}

void TlinkObject::OnUnregisterServer(TReadSpecialFile* Sender, const std::string& Path) {
    BeginItem(Sender);
    for (const std::string& copy : CopiesOf(InfoDir.ExpandVariables(Path))) UnregisterServer(copy);
}

void TlinkObject::OnRegisterServer(TReadSpecialFile* Sender, const std::string& Path) {
    BeginItem(Sender);
    for (const std::string& copy : CopiesOf(InfoDir.ExpandVariables(Path))) RegisterServer(copy);
}

void TlinkObject::OnCallModule(TReadSpecialFile* Sender, const std::string& EntryName) {
    CallModule(Sender, EntryName);
}

void TlinkObject::OnAddSearchFolder(TReadSpecialFile* Sender, const std::string& Folder) {
    AddSearchFolder(Sender, Folder);
}

void TlinkObject::ConnectReader(TReadSpecialFile& reader) {
    reader.OnAddRegKey = std::bind_front(&TlinkObject::OnAddRegKey, this);
    reader.OnDeleteRegKey = std::bind_front(&TlinkObject::OnDeleteRegKey, this);
    reader.OnDeleteRegValue = std::bind_front(&TlinkObject::OnDeleteRegValue, this);
    reader.OnAddRegValue = std::bind_front(&TlinkObject::OnAddRegValue, this);
    reader.OnChangeRegValue = std::bind_front(&TlinkObject::OnChangeRegValue, this);
    reader.OnDeleteFolder = std::bind_front(&TlinkObject::OnDeleteFolder, this);
    reader.OnCreateFolder = std::bind_front(&TlinkObject::OnCreateFolder, this);
    reader.OnDeleteFile = std::bind_front(&TlinkObject::OnDeleteFile, this);
    reader.OnAddFile = std::bind_front(&TlinkObject::OnAddFile, this);
    reader.OnChangeFile = std::bind_front(&TlinkObject::OnChangeFile, this);
    reader.OnAddIniSection = std::bind_front(&TlinkObject::OnAddIniSection, this);
    reader.OnDeleteIniSection = std::bind_front(&TlinkObject::OnDeleteIniSection, this);
    reader.OnAddIniValue = std::bind_front(&TlinkObject::OnAddIniValue, this);
    reader.OnDeleteIniValue = std::bind_front(&TlinkObject::OnDeleteIniValue, this);
    reader.OnChangeIniValue = std::bind_front(&TlinkObject::OnChangeIniValue, this);
    reader.OnError = std::bind_front(&TlinkObject::OnError, this);
    reader.OnProgress = std::bind_front(&TlinkObject::OnProgress, this);
    reader.OnProgressMax = std::bind_front(&TlinkObject::OnProgressMax, this);
    reader.OnFinished = std::bind_front(&TlinkObject::OnFinished, this);
    reader.OnRenameFolder = std::bind_front(&TlinkObject::OnRenameFolder, this);
    reader.OnRenameFile = std::bind_front(&TlinkObject::OnRenameFile, this);
    reader.OnItemStatus = std::bind_front(&TlinkObject::OnItemStatus, this);
    reader.OnUnregisterServer = std::bind_front(&TlinkObject::OnUnregisterServer, this);
    reader.OnRegisterServer = std::bind_front(&TlinkObject::OnRegisterServer, this);
    reader.OnCallModule = std::bind_front(&TlinkObject::OnCallModule, this);
    reader.OnAddSearchFolder = std::bind_front(&TlinkObject::OnAddSearchFolder, this);
}

}  // namespace qm
