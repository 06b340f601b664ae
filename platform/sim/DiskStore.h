// The disk of the simulated machine: its drives, files and folders, open file
// and search handles, attributes, 8.3 aliases, files in use and the current
// directory.
//
// Drives and host folders
//   Every drive is a host folder: C: is <hostRoot>/drive_c (as in a Wine
//   prefix); MapDrive adds others, also write-protected ones, where every
//   change fails with ERROR_WRITE_PROTECT as on a CD. A drive letter that is
//   not mapped, or whose host folder is missing, gives ERROR_PATH_NOT_FOUND.
//   The program's ANSI names are UTF-8 on the host (DiskNames.h), as in a
//   Wine prefix.
//
// Symbolic links
//   A link on the host is followed while it leads to a place inside the
//   machine's host folder (for a drive mapped from elsewhere: inside the
//   drive's folder). Any use of a link that leads out of it (through it, or
//   of the link itself) fails with ERROR_ACCESS_DENIED, as a junction whose
//   target the user may not reach does on Windows, and the link is listed
//   in refusedLinks(). A search lists such a link as a file.
//
// Cost
//   A lookup walks the path once, from folder to folder by descriptor, so
//   it costs as many steps as the path has names. A name spelled as on the
//   host is asked of the host alone, without reading its folder. A name
//   found only without regard to case, or by its alias, is looked up in an
//   index of its folder, read once and kept while the folder does not change
//   on the host, so a folder of 100,000 entries costs per lookup what a
//   folder of ten does.
//
// Windows paths
//   "C:\a\b" is a full path; "/" is taken for "\"; "\a" lies on the current
//   drive; "a\b" and ".\a" are relative to the current directory; "C:a" is
//   relative to the current directory when it is on C:, else to the root of
//   C:. "." and ".." are resolved in the text, before the disk is asked, so
//   "C:\x\..\y" is "C:\y" even when C:\x does not exist. Repeated separators
//   count as one; a trailing separator is allowed on folders; trailing dots
//   and blanks of the last name are dropped. "\\?\C:\..." is C:\...; other
//   network paths give ERROR_BAD_NETPATH.
//
// Names
//   Compared without regard to case (letters of the code page), as Windows
//   does, on a host that is case-sensitive: the existing entry is found whatever its
//   case (the one spelled exactly as asked wins), and new entries are made
//   with the spelling given. Each name may also be reached by its 8.3 alias.
//   A folder that is missing in the middle of a path gives
//   ERROR_PATH_NOT_FOUND; a missing last name ERROR_FILE_NOT_FOUND.
//
// Attributes
//   FILE_ATTRIBUTE_DIRECTORY from the host; read-only is the host's missing
//   owner-write bit (so a folder of a prepared machine can carry it); hidden,
//   system and archive are kept in memory for each file (new files carry
//   archive). A file without any of them reports FILE_ATTRIBUTE_NORMAL.
//
// 8.3 aliases
//   A long name (not a valid 8.3 name) gets an alias when the simulation
//   first needs it (listing its folder, a lookup by an alias, a short path)
//   or makes the name (the names already there get theirs first, in listing
//   order, as they would have been made earlier on Windows), made as
//   FolderShortNames says and kept for the life of the machine, unique in
//   its folder. A plain lookup gives no alias, so it never reads the folder.
//
// Files in use
//   MarkInUse makes DeleteFileA of a file fail with the given error, as a
//   file another program holds open (ERROR_SHARING_VIOLATION) or the image of
//   a running program (ERROR_ACCESS_DENIED) does. A file marked with
//   ERROR_SHARING_VIOLATION cannot be moved either; a running program's image
//   can be renamed, as on Windows, and its mark moves with it. Handles from
//   CreateFileA enforce their share modes like Windows: conflicting opens,
//   and deleting or moving a file open without FILE_SHARE_DELETE, fail with
//   ERROR_SHARING_VIOLATION.
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/sim/DiskPath.h"
#include "platform/sim/ShortNames.h"

struct stat;  // the host's record of a file, used only by the source files

namespace qm::sim {

// Win32 values the disk needs beyond those of WinTypes.h.
inline constexpr DWORD kErrorNotSameDevice = 17;  // ERROR_NOT_SAME_DEVICE
inline constexpr DWORD kErrorNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
inline constexpr DWORD kErrorDirectory = 267;     // ERROR_DIRECTORY
inline constexpr DWORD kFileReadData = 0x0001;    // FILE_READ_DATA
inline constexpr DWORD kFileWriteData = 0x0002;   // FILE_WRITE_DATA
inline constexpr DWORD kGenericAll = 0x10000000;  // GENERIC_ALL

// The host's identity of a file (device and inode): it survives renames.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileId&) const = default;
};

struct OpenFileRecord;  // an open file handle (DiskRecords.h)
struct WalkFolder;      // a folder reached by a lookup (DiskRecords.h)
struct HostEntry;       // an entry found in a folder (DiskRecords.h)

// Host types stay out of this header: it is also read where the simulation is
// not built.
class DiskStore {
public:
    explicit DiskStore(std::filesystem::path hostRoot);
    ~DiskStore();
    DiskStore(const DiskStore&) = delete;
    DiskStore& operator=(const DiskStore&) = delete;

    // ---- The simulation's controls ----
    // Maps a drive letter onto a host folder (which need not exist yet).
    void MapDrive(char letter, std::filesystem::path hostPath, bool writeProtected = false);
    bool IsMapped(char letter) const;
    // The Windows path of a host file that lies on one of the drives.
    std::optional<std::string> WindowsPathOf(const std::filesystem::path& host) const;
    // The links not followed so far, as "host path -> target", each once.
    const std::vector<std::string>& refusedLinks() const { return refusedLinks_; }
    // Host lookups (entries and folders asked for) made so far: what a
    // lookup costs, independent of the machine's speed.
    std::uint64_t hostLookups() const { return hostLookups_; }
    // The host path a Windows path stands for (the name as given when the last
    // name does not exist); nothing when a folder on the way is missing.
    std::optional<std::filesystem::path> HostPath(const std::string& windowsPath);
    void MarkInUse(const std::string& windowsPath, DWORD deleteError);
    void ClearInUse(const std::string& windowsPath);
    // File and search handles not yet closed, to find leaks.
    std::size_t openHandles() const { return files_.size() + finds_.size(); }

    // Closes a file handle of this disk; false when it is not one.
    bool CloseHandle(HANDLE handle);

    // ---- The operations behind SimPlatform's file functions: each gives 0
    // or the Win32 error it fails with. Handle values come from the caller. ----
    DWORD OpenFile(HANDLE handle, const std::string& path, DWORD access, DWORD shareMode,
                   DWORD creation, DWORD flagsAndAttributes, bool& existed);
    DWORD ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD& read);
    DWORD WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD& written);
    DWORD SetFilePointer(HANDLE file, std::int64_t distance, DWORD method, std::uint64_t& position);
    DWORD GetFileSize(HANDLE file, std::uint64_t& size);
    // The path a file or search handle was opened with, as given; null for others.
    const std::string* OpenedAs(HANDLE handle) const;

    DWORD FindFirst(HANDLE handle, const std::string& pattern, WIN32_FIND_DATAA& data);
    DWORD FindNext(HANDLE find, WIN32_FIND_DATAA& data);
    bool FindClose(HANDLE find);

    DWORD GetAttributes(const std::string& path, DWORD& attributes);
    DWORD SetAttributes(const std::string& path, DWORD attributes);
    DWORD CreateDirectory(const std::string& path);
    DWORD RemoveDirectory(const std::string& path);
    DWORD DeleteFile(const std::string& path);
    DWORD MoveFile(const std::string& existing, const std::string& newName, DWORD flags);
    // The path with every long name replaced by its alias; names that are
    // valid 8.3 names, ".", ".." and the drive stay as given.
    DWORD ShortPath(const std::string& path, std::string& shortPath);
    // The path with every alias replaced by the long name it stands for; every
    // name must exist.
    DWORD LongPath(const std::string& path, std::string& longPath);
    // CopyFileA: the contents, attributes and last write time; the new file's
    // creation time is now.
    DWORD CopyFile(const std::string& existing, const std::string& newName, bool failIfExists);
    // The times of an open file or folder; SetTimes needs a handle opened
    // with FILE_WRITE_ATTRIBUTES (or GENERIC_WRITE). Null entries are left.
    DWORD GetTimes(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
    DWORD SetTimes(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);
    DWORD SetCurrentDirectory(const std::string& path);
    const std::string& CurrentDirectory() const { return currentDirectory_; }
    // One name of an SHFileOperationA FO_DELETE list: a file, a folder with
    // everything in it, or a wildcard pattern (with filesOnly, folders that
    // match are left). Read-only, hidden and system attributes do not stop
    // it, as they do not stop the shell.
    DWORD ShellDelete(const std::string& path, bool filesOnly);

private:
    // Where a Windows path leads.
    struct Located {
        WindowsPath path;                  // full, names as given
        std::vector<std::string> actual;   // names as stored (the last one as given when missing)
        std::filesystem::path parentHost;  // host folder holding the last name
        std::filesystem::path host;        // host path of the last name
        bool exists = false;
        bool directory = false;
        bool readOnly = false;
        bool link = false;                 // a symbolic link (to a place inside the machine)
        bool writeProtected = false;       // on a write-protected drive
        FileId id;
        FileId parentId;                   // the folder holding the last name, and when
        std::int64_t parentStamp = 0;      // it last changed (for its name index)
        bool IsDirectory() const { return exists && directory; }
        std::string Key() const;           // upper-case long path, for the marks
    };

    struct FindRecord {
        std::vector<WIN32_FIND_DATAA> entries;
        std::size_t next = 0;
        std::string pattern;
    };
    struct InUseMark {
        std::string key;       // where the file is now
        std::string givenKey;  // where it was marked
        DWORD error = 0;
    };
    struct Drive {
        std::filesystem::path root;
        bool writeProtected = false;
        // Where links may lead (the machine's host folder, or the drive's
        // own folder when it lies elsewhere), resolved when first needed.
        std::optional<std::filesystem::path> fence;
        std::optional<bool> rootInside;  // whether the root itself lies inside
    };
    // The names of one host folder by their upper case, as read from the
    // host when it last changed. More than one host name may share an upper case.
    struct FolderIndex {
        std::int64_t stamp = 0;
        std::unordered_map<std::string, std::vector<std::pair<std::string, std::string>>> names;  // ANSI, host
        bool aliased = false;  // every entry has its alias
    };

    // ---- Lookup (DiskLookup.cpp) ----
    Drive* FindDrive(char drive);
    std::filesystem::path Fence(Drive& drive);
    // Resolves the folders of text; the last name may be missing.
    DWORD Locate(const std::string& text, Located& out);
    DWORD LocateParsed(const WindowsPath& path, Located& out);
    // Sets what the host says of an existing entry (struct stat).
    static void Fill(Located& located, const struct ::stat& info);
    // Opens a host folder for a walk; false when it is no folder.
    bool OpenFolder(const std::filesystem::path& host, WalkFolder& folder);
    // The walk goes on into a folder entry; false when it is no folder.
    bool Enter(WalkFolder& folder, const HostEntry& entry);
    // The entry of the folder called name (any case, or its alias), or
    // nothing; an error for a link that leads out of the machine.
    DWORD FindIn(WalkFolder& folder, Drive& drive, std::string_view name, std::optional<HostEntry>& found);
    DWORD CheckLink(Drive& drive, const std::filesystem::path& link);
    // The folder's index, read again when the folder changed (dirfd: the
    // folder opened, or -1 to open it by its path).
    FolderIndex& IndexOf(const std::filesystem::path& folder, FileId id, std::int64_t stamp, int dirfd);
    // The alias of an entry of a folder (empty for a valid 8.3 name).
    std::string AliasIn(const std::filesystem::path& folder, FileId id, std::int64_t stamp, const std::string& name);
    // The alias of a name the simulation just made in the folder.
    std::string AliasOf(const std::filesystem::path& folder, const std::string& name);
    // Every long name of the folder (but skip) gets its alias, in listing
    // order, unless all have one already.
    void AliasAll(const std::filesystem::path& folder, FileId id, std::int64_t stamp, int dirfd, std::string_view skip);
    // Entries of a host folder, sorted by name without regard to case.
    static std::vector<std::string> ListFolder(const std::filesystem::path& folder);
    // Keeps the index of the folder holding at's last name current after the
    // simulation itself added (true) or removed (false) these names there.
    void NoteChanges(const Located& at, const std::vector<std::pair<std::string, bool>>& changes);
    void ForgetFolder(FileId id) { indexes_.erase(id); }

    // ---- Short and long paths (DiskShortLong.cpp) ----
    DWORD MapNames(const std::string& path, bool toShort, std::string& out);

    // ---- Attributes and marks (DiskStore.cpp) ----
    DWORD AttributesOf(FileId id, bool directory, bool readOnly) const;
    DWORD AttributesOf(const Located& located) const {
        return AttributesOf(located.id, located.directory, located.readOnly);
    }
    void RememberAttributes(FileId id, DWORD attributes);
    void ForgetAttributes(FileId id) { extras_.erase(id); }
    const InUseMark* MarkOf(const Located& file) const;
    std::string KeyOf(const std::string& windowsPath);
    bool IsOpenWithoutShareDelete(FileId id) const;
    // Whether this is the process's current directory (which it holds open).
    bool IsCurrentDirectory(FileId id);

    // ---- Changes (DiskTree.cpp) ----
    DWORD RemoveFile(const Located& file, bool force);
    // A symbolic link goes, not what it leads to.
    DWORD RemoveLink(const Located& link);
    DWORD RemoveTree(const Located& folder);
    DWORD MoveAcrossDevices(const Located& from, const std::filesystem::path& to, DWORD flags);
    bool TreeIsBusy(const Located& folder) const;
    void MoveMarks(const std::string& fromKey, const std::string& toKey, bool folder);

    // ---- Searches (DiskFind.cpp) ----
    // The entry of a search; the host object is host, shown under name.
    std::optional<WIN32_FIND_DATAA> FindDataOf(const std::filesystem::path& folder, FileId folderId,
                                               std::int64_t folderStamp, const std::string& name,
                                               const std::filesystem::path& host);

    std::filesystem::path hostRoot_;
    std::map<char, Drive> drives_;
    std::map<FileId, FolderIndex> indexes_;
    std::vector<std::string> refusedLinks_;
    std::uint64_t hostLookups_ = 0;
    std::string currentDirectory_ = "C:\\";
    std::map<HANDLE, std::unique_ptr<OpenFileRecord>> files_;
    std::map<HANDLE, FindRecord> finds_;
    std::map<FileId, DWORD> extras_;  // hidden, system and archive, per file
    // The host keeps no creation time that a program may set: the simulated
    // one is kept here, taken from the last write time when first asked.
    std::map<FileId, FILETIME> creationTimes_;
    FILETIME CreationTimeOf(FileId id, const struct ::stat& info);
    std::map<FileId, FolderShortNames> shortNames_;
    std::vector<InUseMark> marks_;
};

}  // namespace qm::sim
