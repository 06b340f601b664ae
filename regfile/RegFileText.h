// Registry files (.reg) as regedit reads and writes them, apart from any
// registry: the simulated machine loads and saves its registry with them,
// and the backups of a cleanup keep keys and values in them.
//
//   REGEDIT4                                  ANSI text in the system code page
//   Windows Registry Editor Version 5.00      UTF-16LE with a byte-order mark
//                                             (as regedit writes it), or UTF-8/ANSI text
//
// followed by [key] and [-key] (delete the key with everything below it)
// lines and the value lines of the key above them:
//   "name"="text"  @="default"  "name"=dword:0000abcd  "name"=hex:01,02
//   "name"=hex(2):..  hex(7):..  hex(N):.. for any type  "name"=-  (delete the value)
// Strings escape \\ and \"; a trailing backslash continues a line on the
// next; blank lines and lines starting with ';' are skipped. The string data
// of hex(1), hex(2) and hex(7) is UTF-16LE in Version 5 files and ANSI in
// REGEDIT4 files; the registry stores it in UTF-16 either way.
//
// The exact form. What a plain line cannot hold (in REGEDIT4 text the code
// page cannot write, and string data of odd size; in either format a name
// with a line break or another control character) is written as a comment
// that regedit skips, right above the plain line that regedit reads:
//   ;Quellmar-exact key: <the path's UTF-16LE bytes in hex>
//   ;Quellmar-exact value: <the name's UTF-16LE bytes>=<type in hex>:<the data as stored>
// e.g. ";Quellmar-exact value: 61,00=1:41,00,42" (name "a", REG_SZ, the
// three bytes 41 00 42). The reader takes the key or value from it and the
// rest of the next line's syntax from that line, so nothing is lost.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace qm::regfile {

enum class RegFileFormat { Regedit4, Version5 };

struct RegFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};  // message "line N: what is wrong"

// A value as the registry stores it: string types in UTF-16LE.
struct RegFileValue {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegFileOperation {
    enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
    std::u16string path;  // root first, as in the file
    RegFileValue value;   // kSetValue (name and data), kDeleteValue (name)
    // The lines it was read from, counted from 0 (the header): an exact form
    // and continued lines included.
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;
};

// How REGEDIT4 text meets the system code page.
struct CodePage {
    std::u16string (*toWide)(std::string_view ansi);
    std::string (*toNarrow)(std::u16string_view text);
};

// The operations a .reg file asks for, in its order. Throws RegFileError for
// malformed text.
std::vector<RegFileOperation> ParseRegFile(std::string_view bytes, const CodePage& codePage);

// The lines that write a key or a value in a file of that format, each
// ended by "\r\n": the plain line, with the exact form above it where the
// plain line would lose something.
std::u16string KeyLines(std::u16string_view path, RegFileFormat format, const CodePage& codePage);
std::u16string ValueLines(const RegFileValue& value, RegFileFormat format, const CodePage& codePage);

// Builds a .reg file: the header, then each Key with the Values that follow it.
class RegFileWriter {
public:
    RegFileWriter(RegFileFormat format, const CodePage& codePage);
    void Key(std::u16string_view path);
    void Value(const RegFileValue& value);
    // The file: UTF-16LE with a byte-order mark for Version 5, else ANSI.
    std::string Bytes() const;

private:
    void Line(std::u16string_view line);

    RegFileFormat format_;
    const CodePage& codePage_;
    std::u16string text_;
    bool keyOpen_ = false;
};

// Whether a path starts with a root key's name (HKEY_LOCAL_MACHINE, HKLM ...).
bool IsRegistryRootPath(std::u16string_view path);

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: data that is UTF-16 text.
inline bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// String data as the registry stores it: UTF-16LE bytes, and back (an odd
// last byte is dropped).
std::vector<BYTE> Utf16Bytes(std::u16string_view text);
std::u16string Utf16Text(const std::vector<BYTE>& bytes);
// UTF-16 as UTF-8 (a lone half of a pair is kept as it is encoded).
std::string ToUtf8(std::u16string_view text);
// UTF-8 as UTF-16, or nothing when the bytes are not well-formed UTF-8
// (overlong forms, surrogates and code points past U+10FFFF included).
std::optional<std::u16string> FromUtf8(std::string_view text);

}  // namespace qm::regfile
