// The removal-script reader: opens a ".malware" script, walks its records and
// turns each one into at most one call of a fixed table of 26 events, and
// copies the script's embedded module into a temporary file.
//
// The reader knows nothing of registries, files or INI files; its caller (the
// cleanup engine) assigns the events it needs before calling Read. An event
// left empty is skipped. Every problem met while reading reaches the caller
// only through OnError; the constructor alone throws, for a missing script.
//
// The open script belongs to the reader object, so several readers could
// coexist; the program still creates one per purpose (the preview read, or one
// pass), uses it and frees it before creating the next.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "format/RemovalScriptFormat.h"
#include "platform/Platform.h"
#include "reader/ScriptFile.h"

namespace qm {

class TReadSpecialFile;

// The size of the reader's two data buffers: a field can hold at most 65535
// bytes, so a buffer always has a zero behind its field.
inline constexpr std::size_t kDataBlockSize = 65536;
using TDataBlock = std::array<std::uint8_t, kDataBlockSize>;

// The events. Sender is the reader raising the event (never null when the
// reader raises it). Data arguments point at the reader's own 65536-byte
// buffers, valid only during the call and zero-filled behind their count.
using TRegKeyEvent = std::function<void(TReadSpecialFile* Sender, const std::string& Path, bool WideName)>;
using TRegValueEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                       std::uint16_t DataType, const std::uint8_t* Data, std::uint16_t DataSize, bool WideName)>;
using TChangeRegValueEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& Path, const std::string& ValueName,
                       std::uint16_t DataType, const std::uint8_t* NewData, std::uint16_t NewSize,
                       const std::uint8_t* OldData, std::uint16_t OldSize, bool WideName)>;
using TPathEvent = std::function<void(TReadSpecialFile* Sender, const std::string& Path)>;
using TChangeFileEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& Path, std::uint32_t Value1, std::uint32_t Value2)>;
using TIniSectionEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section)>;
using TIniValueEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                       const std::string& IniValueName, const std::uint8_t* Data, std::uint16_t DataSize)>;
using TChangeIniValueEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& IniFile, const std::string& Section,
                       const std::string& IniValueName, const std::uint8_t* NewData, std::uint16_t NewSize,
                       const std::uint8_t* OldData, std::uint16_t OldSize)>;
using TErrorEvent = std::function<void(TReadSpecialFile* Sender, const std::string& Msg, std::int32_t RecordCount)>;
using TProgressEvent = std::function<void(TReadSpecialFile* Sender, std::int32_t Value)>;
using TNotifyEvent = std::function<void(TReadSpecialFile* Sender)>;
using TRenameEvent =
    std::function<void(TReadSpecialFile* Sender, const std::string& NewPath, const std::string& OldPath)>;
using TItemStatusEvent = std::function<void(TReadSpecialFile* Sender, const std::string& Path,
                                            std::uint16_t Operation, std::uint16_t Kind)>;

class TReadSpecialFile {
public:
    // Opens the script for reading. Throws std::runtime_error with the message
    // "File " + FileName + " not found" when no such file exists; a file that
    // exists but cannot be opened is reported by the first read instead.
    explicit TReadSpecialFile(const std::string& FileName);
    // Closes the script (errors ignored) and calls SetErrorMode(0).
    ~TReadSpecialFile();
    TReadSpecialFile(const TReadSpecialFile&) = delete;
    TReadSpecialFile& operator=(const TReadSpecialFile&) = delete;

    // Walks the script from its magic to its end, or only through its first
    // record when OneRecordOnly is true. Reports everything through the events;
    // OnError gets (message, record count):
    //   "Exception BAD FILE", 0: no magic where the trailer says (or the
    //       trailer points where magic and trailer cannot both fit); the read
    //       ends at once.
    //   "Exception I/O error N", 0: a failing file operation, N its Windows
    //       error code: 131 for a file shorter than its 8-byte trailer, the
    //       open's code (e.g. 32, 5) for a script that could not be opened,
    //       223 for a script of 2 GiB or more, otherwise the code of the
    //       failing ReadFile, SetFilePointer or GetFileSize.
    //   "Exception " + what(), 0: an exception escaping an event handler
    //       ("Exception unknown exception" for one not derived from
    //       std::exception).
    //   "reg_key:", "INI_SECTION:" or "Disk_dir:" + text 1, records completed
    //       before it: a change of a key, an INI section or a folder; the
    //       read ends there.
    //   "Force Close", records completed: the read ended before the end of
    //       the file (never in one-record mode). A file whose size can no
    //       longer be read at the end counts as not at its end.
    // Calling Read from one of its own events throws std::logic_error.
    void Read(bool OneRecordOnly);
    // Copies the embedded module into a new file in the temporary folder and
    // gives its full path; an empty path when there is no module or anything
    // fails (a partly written file is removed again).
    void ExtractModule(std::string& Path);
    // Raises OnError with these arguments.
    void RaiseError(TReadSpecialFile* Sender, const std::string& Msg, std::int32_t RecordCount);

    // ---- Fields, in the order of the reader's design ----
    bool FProcessMessages = true;  // pump the window messages after each record
    std::string FFileName;

    TRegKeyEvent OnAddRegKey;
    TRegKeyEvent OnDeleteRegKey;
    TRegValueEvent OnDeleteRegValue;
    TRegValueEvent OnAddRegValue;
    TChangeRegValueEvent OnChangeRegValue;
    TPathEvent OnDeleteFolder;
    TPathEvent OnCreateFolder;
    TPathEvent OnDeleteFile;
    TPathEvent OnAddFile;
    TChangeFileEvent OnChangeFile;
    TIniSectionEvent OnAddIniSection;
    TIniSectionEvent OnDeleteIniSection;
    TIniValueEvent OnAddIniValue;
    TIniValueEvent OnDeleteIniValue;
    TChangeIniValueEvent OnChangeIniValue;
    TErrorEvent OnError;
    TProgressEvent OnProgress;     // Value: the file position in bytes
    TProgressEvent OnProgressMax;  // Value: the file size in bytes
    TNotifyEvent OnFinished;
    TRenameEvent OnRenameFolder;
    TRenameEvent OnRenameFile;
    TItemStatusEvent OnItemStatus;
    bool FStopRequested = false;  // a handler may set it to end the read after this record
    TPathEvent OnUnregisterServer;
    TPathEvent OnRegisterServer;
    TPathEvent OnCallModule;       // Path: the entry point's name
    TPathEvent OnAddSearchFolder;  // Path: the folder, without trailing backslash

    TDataBlock FDataBlock1{};  // scratch for the texts, then data block 1
    TDataBlock FDataBlock2{};  // data block 2
    std::vector<std::string> FStringTable;  // entries of the latest string table
    std::string FCurrentOwner;  // text 1 of the latest owner record
    std::string FDescription;   // text 1 of the latest description record

private:
    struct Trailer {
        std::uint32_t field1 = 0;       // checked only by the module extraction
        std::uint32_t recordStart = 0;  // offset of the magic
    };

    Trailer ReadTrailer();
    bool CheckMagic();
    bool ReadRecord();
    bool ReadText(std::string& text);
    void ReadStringTable();
    bool DispatchRecord(std::uint16_t recordType, std::uint16_t kind, std::string text1, const std::string& text2,
                        std::uint16_t size1, std::uint16_t size2);
    void RaiseItemStatus(const std::string& text1, const std::string& text2, std::uint16_t operation,
                         std::uint16_t kind);
    void EndTest(bool oneRecordOnly);
    std::string CopyModule();

    static void ZeroBlock(TDataBlock& block, std::size_t& dirty);

    Platform& platform_;
    ScriptFile file_;
    // How far each data block may hold bytes other than zero.
    std::size_t dirty1_ = 0;
    std::size_t dirty2_ = 0;
    std::int32_t count_ = 0;         // records completed in the running read
    std::uint32_t trailerStart_ = 0;  // file size - 8, the end of the record area
    bool reading_ = false;
};

// ---- Unit functions ----

// A string made of the first Length bytes of the buffer, zero bytes included.
std::string FieldToString(const std::uint8_t* Buffer, std::size_t Length);

// The local date and time as decimal digits without separators or leading
// zeros (year, month, day, hour, minute, second, millisecond), "_" and a
// pseudo-random number below 16777215 from a generator reseeded from the UTC
// time of day in milliseconds: two names made in the same millisecond agree.
std::string MakeUniqueName();

// What "process the window messages" after each record does. None by default;
// the wizard installs its message pump.
void SetProcessMessagesProc(void (*proc)());

}  // namespace qm
