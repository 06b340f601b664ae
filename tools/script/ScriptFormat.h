// How the dumper writes texts and data in source form, so that the
// compiler reads back exactly the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/script/ScriptModel.h"

namespace qm::script {

// How to show a data block, from what the record says it holds.
enum class DataHint { Plain, Dword, Qword, StringType, WideStringType };

// A text as one string, or as several joined by "+" on continuation lines
// when it is long or holds line ends. Printable texts with a backslash (the
// usual paths) go in single quotes, where a backslash needs no escape.
std::string FormatText(std::string_view text, const std::string& indent);

// A data block: dword/qword for numbers, a string when every byte is
// printable (utf16 "..." for the UTF-16 text of a wide-name string value),
// else hex.
std::string FormatData(const Bytes& data, DataHint hint, const std::string& indent);

// The hint for the data of a record: registry data types say what their
// data holds (UTF-16 text when the value is written by its wide name); the
// values of a file change are numbers.
DataHint HintForRecord(std::uint16_t type, std::uint16_t kind);

}  // namespace qm::script
