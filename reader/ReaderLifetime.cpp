// Creation and destruction of the reader, its error event and the unit's
// small helpers.
#include <stdexcept>

#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

TReadSpecialFile::TReadSpecialFile(const std::string& FileName)
    : FFileName(FileName), platform_(CurrentPlatform()), file_(platform_) {
    const DWORD attributes = platform_.GetFileAttributesA(FFileName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw std::runtime_error("File " + FFileName + " not found");
    // A file that exists but will not open is reported by the first read.
    file_.Open(FFileName);
}

TReadSpecialFile::~TReadSpecialFile() {
    file_.Close();
    platform_.SetErrorMode(0);
}

void TReadSpecialFile::RaiseError(TReadSpecialFile* Sender, const std::string& Msg, std::int32_t RecordCount) {
    if (OnError) OnError(Sender, Msg, RecordCount);
}

std::string FieldToString(const std::uint8_t* Buffer, std::size_t Length) {
    return std::string(reinterpret_cast<const char*>(Buffer), Length);
}

}  // namespace qm
