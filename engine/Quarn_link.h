// The cleanup engine, TlinkObject, and the unit functions of Quarn_link.
//
// One engine serves one pass over a removal script. It receives the reader's
// events, tests each item (scan pass) or acts on the checked ones (removal
// pass), and keeps the item lists' rows, the search folders, the pending
// deletions and the report. The link between the two passes is the item
// number written into the last column of every row.
//
// The operations live in files by concern:
//   EngineCore.cpp          construction, numbering, rows, check lookup, the
//                           event handlers, status, progress, the corrupt-
//                           script halt
//   SearchFolders.cpp       the search folders and bare-name resolution
//   ServersAndProcesses.cpp COM servers and running programs
//   RegistryOperations.cpp  registry keys and values
//   IniOperations.cpp       INI values and sections
//   DiskOperations.cpp      files and folders
//   DeferredRemoval.cpp     the pending lists, ForceDeleteFile, RemoveFolderTree
//   Report.cpp              the report lines and the module hook
//   PassBackup.cpp          a failed backup reported; keys and folders a
//                           creation makes noted for the restore
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ItemList.h"
#include "engine/MachineHalves.h"
#include "engine/SortedStringList.h"
#include "format/RemovalScriptFormat.h"
#include "platform/Handles.h"
#include "platform/WinTypes.h"

namespace qm {

class TReadSpecialFile;
class TGuardRails;
class TBackup;
struct PendingRoad;
struct RegistryPathParts;

// An item the guard rails refused, and why.
struct TRefusalNote {
    std::uint8_t Category = 0;
    std::uint16_t Operation = 0;
    std::string Name;
    std::string Path;
    std::string Reason;
};

// Item categories: they select the item list, the padding of a row and the
// report caption.
enum : std::uint8_t {
    kCategoryRegistry = 0,
    kCategoryDisk = 1,
    kCategoryIni = 2,
    kCategoryProcess = 3,
    kCategoryServer = 4,
};

// The report's operation code for stopping a program; the others are the
// script's own operation codes (kOpDelete ... kOpUnregister).
inline constexpr std::uint16_t kOperationKill = 0;

// What a report line's operation text begins with when the operation failed,
// and when a stopped removal pass never did it.
inline constexpr const char* kReportFailedPrefix = "Error ";
inline constexpr const char* kReportNotDonePrefix = "Not done: ";
// ... and when the guard rails refused it.
inline constexpr const char* kReportRefusedPrefix = "Refused ";
// The operation text of a file that is still there when the pass ends: it is
// deleted at the next start of Windows.
inline constexpr const char* kReportPendingText = "Delete at next start";

// The status callback: a plain procedure, with no context of its own.
using TStatusProc = void (*)(const std::string& text, const std::string& path, bool scanMode);
// A progress callback: code and the context it was given (the wizard window).
struct TProgressProc {
    void (*code)(void* context, TReadSpecialFile* sender, std::int32_t value) = nullptr;
    void* context = nullptr;
};

class TlinkObject {
public:
    // Builds the search folders; item number 0, empty pending lists, no errors.
    TlinkObject();
    ~TlinkObject();
    TlinkObject(const TlinkObject&) = delete;
    TlinkObject& operator=(const TlinkObject&) = delete;

    // ---- Fields, in their order ----
    std::int32_t FItemNumber = 0;
    std::unique_ptr<std::array<std::uint8_t, 65536>> FRegData;
    // The existing value's true byte count. Wider than the 16 bits a script's
    // count has, so a value longer than any script data never compares equal.
    std::uint32_t FRegDataSize = 0;
    std::uint16_t FRegDataType = 0;
    std::string FOwnerName;
    std::unique_ptr<SortedStringList> FPendingFolders;
    std::unique_ptr<SortedStringList> FPendingFiles;
    TStatusProc FOnStatus = nullptr;
    TProgressProc FOnProgress;
    TProgressProc FOnProgressMax;
    std::string FModulePath;
    bool FScanMode = false;
    bool FHadErrors = false;
    std::unique_ptr<SortedStringList> FSearchFolders;
    ItemList* FRegistryList = nullptr;  // borrowed, category 0
    ItemList* FDiskList = nullptr;      // borrowed, category 1
    ItemList* FIniList = nullptr;       // borrowed, category 2
    ItemList* FReportList = nullptr;    // borrowed
    ItemList* FProcessList = nullptr;   // borrowed, category 3
    ItemList* FServerList = nullptr;    // borrowed, category 4
    // A native program on 64-bit Windows: registry items are tested in both
    // views, and files below the system and program folders also in their
    // 32-bit twins.
    bool FBothHalves = false;
    // What no script may harm, and the items refused for it in this pass.
    std::unique_ptr<TGuardRails> FGuardRails;
    std::vector<TRefusalNote> FRefusals;
    // Borrowed: where the removal pass keeps what it changes, before it
    // changes it; null for a pass without a backup.
    TBackup* FBackup = nullptr;

    // ---- Helpers every operation uses ----
    void BeginItem(TReadSpecialFile* Sender);
    bool IsItemChecked(std::uint8_t category);
    static void PadSubItems(ItemList& list, int row, std::uint8_t category);

    // ---- Event handlers, one per event of the reader ----
    void OnAddRegKey(TReadSpecialFile* Sender, const std::string& Path, bool WideName);
    void OnDeleteRegKey(TReadSpecialFile* Sender, const std::string& Path, bool WideName);
    void OnDeleteRegValue(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                          std::uint16_t DataType, const std::uint8_t* Data, std::uint16_t DataSize,
                          bool WideName);
    void OnAddRegValue(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                       std::uint16_t DataType, const std::uint8_t* Data, std::uint16_t DataSize,
                       bool WideName);
    void OnChangeRegValue(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                          std::uint16_t DataType, const std::uint8_t* NewData, std::uint16_t NewSize,
                          const std::uint8_t* OldData, std::uint16_t OldSize, bool WideName);
    void OnDeleteFolder(TReadSpecialFile* Sender, const std::string& Path);
    void OnCreateFolder(TReadSpecialFile* Sender, const std::string& Path);
    void OnDeleteFile(TReadSpecialFile* Sender, const std::string& Path);
    void OnAddFile(TReadSpecialFile* Sender, const std::string& Path);
    void OnChangeFile(TReadSpecialFile* Sender, const std::string& Path, std::uint32_t Value1,
                      std::uint32_t Value2);
    void OnAddIniSection(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section);
    void OnDeleteIniSection(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section);
    void OnAddIniValue(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                       const std::string& IniValueName, const std::uint8_t* NewData, std::uint16_t NewSize);
    void OnDeleteIniValue(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                          const std::string& IniValueName, const std::uint8_t* Data, std::uint16_t DataSize);
    void OnChangeIniValue(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                          const std::string& IniValueName, const std::uint8_t* NewData, std::uint16_t NewSize,
                          const std::uint8_t* OldData, std::uint16_t OldSize);
    // The corrupt-script halt. Sender may be null (called directly when the
    // script cannot be opened).
    void OnError(TReadSpecialFile* Sender, const std::string& Msg, std::int32_t RecordCount);
    void OnProgress(TReadSpecialFile* Sender, std::int32_t Position);
    void OnProgressMax(TReadSpecialFile* Sender, std::int32_t Maximum);
    void OnFinished(TReadSpecialFile* Sender);
    void OnRenameFolder(TReadSpecialFile* Sender, const std::string& NewPath, const std::string& OldPath);
    void OnRenameFile(TReadSpecialFile* Sender, const std::string& NewPath, const std::string& OldPath);
    void OnItemStatus(TReadSpecialFile* Sender, const std::string& Path, std::uint16_t Operation,
                      std::uint16_t Kind);
    void OnUnregisterServer(TReadSpecialFile* Sender, const std::string& Path);
    void OnRegisterServer(TReadSpecialFile* Sender, const std::string& Path);
    void OnCallModule(TReadSpecialFile* Sender, const std::string& EntryName);
    void OnAddSearchFolder(TReadSpecialFile* Sender, const std::string& Folder);

    // Connects every event of the reader to the handler of the same name.
    void ConnectReader(TReadSpecialFile& reader);

    // ---- Search folders ----
    void AddSearchFolder(TReadSpecialFile* Sender, const std::string& Folder);
    void AddEnvironmentFolders(const std::string& VariableName);
    void AddProcessFolders();
    void AddAppPathFolders();
    std::string ResolveFileName(const std::string& Name, bool IsFolder, std::uint16_t Operation);

    // ---- Servers and running programs ----
    void RegisterServer(const std::string& Path);
    void UnregisterServer(const std::string& Path);
    void KillRunningProcess(const std::string& Path);

    // ---- Registry ----
    void AddRegistryKey(const std::string& Path);
    void DeleteRegistryKey(const std::string& Path);
    void AddRegistryValue(const std::string& Path, const std::string& ValueName, std::uint16_t DataType,
                          const std::uint8_t* Data, std::uint16_t DataSize, bool WideName);
    void DeleteRegistryValue(const std::string& Path, const std::string& ValueName, std::uint16_t DataType,
                             const std::uint8_t* Data, std::uint16_t DataSize, bool WideName);
    void ChangeRegistryValue(const std::string& Path, const std::string& ValueName, std::uint16_t DataType,
                             const std::uint8_t* NewData, std::uint16_t NewSize, const std::uint8_t* OldData,
                             std::uint16_t OldSize, bool WideName);

    // ---- INI files ----
    void AddIniValue(const std::string& IniFile, const std::string& Section, const std::string& IniValueName,
                     const std::uint8_t* NewData, std::uint16_t NewSize);
    void DeleteIniValue(const std::string& IniFile, const std::string& Section, const std::string& IniValueName,
                        const std::uint8_t* NewData, std::uint16_t NewSize);
    void ChangeIniValue(const std::string& IniFile, const std::string& Section, const std::string& IniValueName,
                        const std::uint8_t* NewData, std::uint16_t NewSize, const std::uint8_t* OldData,
                        std::uint16_t OldSize);
    void AddIniSection(const std::string& IniFile, const std::string& Section);
    void DeleteIniSection(const std::string& IniFile, const std::string& Section);

    // ---- Files and folders ----
    void CreateFolderItem(const std::string& Path);
    void DeleteFolderItem(const std::string& Path);
    void EraseFileItem(const std::string& Path);
    void RenameFileItem(const std::string& NewPath, const std::string& OldPath);
    void RenameFolderItem(const std::string& NewPath, const std::string& OldPath);

    // ---- After the last record ----
    void ProcessPendingLists();

    // ---- A pass the user stopped ----
    // Asked before each queued deletion; true leaves it, and every one after
    // it, not started. Set FStopped when the read itself was stopped.
    std::function<bool()> FStopQuery;
    bool FStopped = false;
    // The report lines of the checked rows that a stopped read never reached.
    void ReportNotReached();

    // ---- Report and module hook ----
    // Reason: why it failed, when it is known (a fifth sub-item).
    void AddReportLine(std::uint8_t Category, std::uint16_t Operation, bool Failed, const std::string& Name,
                       const std::string& Path, const std::string& Reason = {});
    // A file still there at the end of the pass, deleted at the next start.
    void AddPendingLine(const std::string& Name, const std::string& Path, bool AtLogon, bool Uncopied = false);
    // A line for an item the guard rails refused: "Refused " and the
    // operation word, the path, the name and the reason; not a failure.
    void AddRefusalLine(const TRefusalNote& Refusal);
    // A line for an operation that a stopped pass did not do: "Not done: "
    // and the operation's words.
    void AddNotDoneLine(std::uint8_t Category, const std::string& Words, const std::string& Name,
                        const std::string& Path);
    void FinishReport();
    void CallModule(TReadSpecialFile* Sender, const std::string& EntryName);

private:
    // The search folders' sources, in their order (the constructor's list).
    void BuildSearchFolders();
    void RenameItem(const std::string& NewPath, const std::string& OldPath, const char* caption, int image);
    // Appends a row to the list with its caption, image, owner and texts,
    // pads it for the category and ends it with the item number.
    void AddItemRow(ItemList* list, std::uint8_t category, const char* caption, int image,
                    std::initializer_list<std::string> texts);
    ItemList* ListOfCategory(std::uint8_t category) const;

    // Notes a refusal (the scan lists nothing for the item, the removal
    // reports it); true when there is one.
    bool Refused(const std::optional<std::string>& Reason, std::uint8_t Category, std::uint16_t Operation,
                 const std::string& Name, const std::string& Path);

    // ---- The two halves of 64-bit Windows ----
    // The views in which the key opens with this access, each with the key
    // opened there; a key both views share is one entry.
    struct OpenedKey {
        KeyView view;
        RegKey key;
    };
    std::vector<OpenedKey> OpenInEachView(const RegistryPathParts& parts, REGSAM access) const;
    // The same views, their keys closed again.
    std::vector<KeyView> ViewsWhereKeyOpens(const RegistryPathParts& parts, REGSAM access) const;
    // The views that the rows of the current item name (removal pass).
    std::vector<KeyView> CheckedRowViews(const std::string& Path) const;
    // Where an addition goes: the machine's own view.
    KeyView AddView() const;
    // The path, and its 32-bit twin on 64-bit Windows when it has one.
    std::vector<std::string> CopiesOf(const std::string& path) const;

    // ---- Backups ----
    // False after reporting the item failed when its backup failed.
    bool BackedUp(const std::optional<std::string>& Failure, std::uint8_t Category, std::uint16_t Operation,
                  const std::string& Name, const std::string& Path);
    // Notes in the backup every key of the path that a creation will make,
    // the outermost first.
    std::optional<std::string> NoteCreatedKeys(const RegistryPathParts& parts, REGSAM View, const std::string& Path);
    // The same for the folders of a path.
    std::optional<std::string> NoteCreatedFolders(const std::string& Path);
    // The file's deletion, kept in the backup first (queued deletions).
    void DeleteQueuedFile(const std::string& Path);
    void DeleteQueuedFolder(const std::string& Path);
    // FStopped, once FStopQuery has said so.
    bool StopNow();
};

// ---- Unit functions of Quarn_link ----

// The registry path split into its root key (0 when the root is not known)
// and the path below it.
struct RegistryPathParts {
    HKEY RootKey = 0;
    std::string SubKey;
};
RegistryPathParts SplitRegistryPath(const std::string& Path);
// Reads a value into a 65536-byte buffer, its type and its byte count (0 when
// the value is missing or cannot be read). A value longer than the buffer
// gives its true count and no data.
// View: the registry view's access flag, 0 for the program's own.
void ReadRegistryValue(const std::string& Path, const std::string& ValueName, bool WideName,
                       std::uint8_t* Buffer, std::uint16_t& DataType, std::uint32_t& DataSize, REGSAM View = 0);
bool SameRegistryData(std::uint16_t FirstType, std::uint16_t SecondType, const std::uint8_t* FirstBlock,
                      std::uint32_t FirstCount, const std::uint8_t* SecondBlock, std::uint32_t SecondCount);
std::string RegistryTypeName(std::uint16_t DataType);
bool DeleteKeyTree(HKEY Parent, const std::string& Name, REGSAM View = 0);

bool CallRegistrationEntry(const std::string& Path, bool Register);
bool FindProcessByFile(const std::string& Path, DWORD& ProcessId);
std::int32_t KillProcess(const std::string& Path);
std::string GetProcessFileName(DWORD ProcessId);
// GetProcessFileName, or where PSAPI is refused, QueryFullProcessImageNameA.
std::string GetProcessImageName(DWORD ProcessId);
// Registers (or with Register false, unregisters) a server by running that
// regsvr32 program silently and waiting for it: true when it ended with 0.
bool RegisterWithRegsvr32(const std::string& Program, const std::string& Path, bool Register);

// Road: how a file in use is left for the next start (none when it was deleted now).
bool ForceDeleteFile(const std::string& Path, bool AtReboot, PendingRoad* Road = nullptr);
bool RemoveFolderTree(const std::string& Path);
// The removal of an extracted module file: delete now, wait a second, then
// delete or schedule for the next start.
void RemoveModuleFile(const std::string& ModulePath);

}  // namespace qm
