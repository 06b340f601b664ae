// Extraction of the module that a script may carry in front of its record
// area: from ModuleStart up to the 4-byte ModuleStart field at RecordStart - 4.
#include <array>

#include "locations/InfoDirs.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

namespace {

constexpr DWORD kErrorHandleEof = 38;  // ERROR_HANDLE_EOF
constexpr std::size_t kCopyChunk = 261;

std::uint32_t DoubleWord(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

void TReadSpecialFile::ExtractModule(std::string& Path) {
    Path.clear();
    const std::uint32_t position = file_.Position();
    try {
        Path = CopyModule();
    } catch (...) {
        Path.clear();
    }
    // Put the file back where it was, so a read running meanwhile (a handler
    // extracting) goes on with its next record.
    try {
        file_.Seek(position);
    } catch (...) {
    }
}

// The module's path, or empty when the trailer says there is none; throws on
// any I/O failure, having removed a partly written module file.
std::string TReadSpecialFile::CopyModule() {
    const Trailer trailer = ReadTrailer();
    const std::uint32_t size = file_.Size();
    const std::uint32_t recordStart = trailer.recordStart;
    if (recordStart == 0 || recordStart > size) return {};
    if (trailer.field1 == 0 || trailer.field1 > size) return {};
    if (recordStart < 4) return {};  // no room for ModuleStart in front of the magic

    const std::uint32_t moduleEnd = recordStart - 4;  // where ModuleStart is stored
    file_.Seek(moduleEnd);
    std::uint8_t field[4] = {};
    if (file_.BlockRead(field, sizeof field) != sizeof field) throw EInOutError(kErrorHandleEof);
    const std::uint32_t moduleStart = DoubleWord(field);
    // The module holds at least one byte.
    if (moduleStart > size || moduleStart >= moduleEnd) return {};

    const std::string name = InfoDir.GetSafeTempFolder() + "\\" + MakeUniqueName() + ".dll";
    FileHandle output(platform_, platform_.CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                       FILE_ATTRIBUTE_NORMAL, 0));
    if (!output) throw EInOutError(platform_.GetLastError());
    try {
        file_.Seek(moduleStart);
        std::array<std::uint8_t, kCopyChunk> buffer{};
        std::uint32_t pos = moduleStart;
        std::size_t count = 1;
        while (count > 0 && pos < moduleEnd) {
            buffer.fill(0);
            count = file_.BlockRead(buffer.data(), buffer.size());
            if (pos + count > moduleEnd) count = moduleEnd - pos;
            if (count == 0) break;
            DWORD written = 0;
            if (!platform_.WriteFile(output.get(), buffer.data(), static_cast<DWORD>(count), &written, nullptr))
                throw EInOutError(platform_.GetLastError());
            // A write that silently falls short would leave a module with a gap.
            if (written != count) throw EInOutError(static_cast<DWORD>(ERROR_WRITE_FAULT));
            pos += written;
        }
        output.reset();
    } catch (...) {
        output.reset();
        platform_.DeleteFileA(name.c_str());
        throw;
    }
    return name;
}

}  // namespace qm
