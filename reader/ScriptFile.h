// The reader's open script: a read-only file with a byte position, read the
// way the reader's format is defined, block by block, where a read simply
// gives fewer bytes at the end of the file and only a failing Windows call is
// an error. Reads go through a 64 KiB read-ahead buffer, so the many small
// fields of a script cost one Windows read per 64 KiB, not one each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

// An I/O failure of the script file. The message is "I/O error " followed by
// the Windows error code in decimal, e.g. "I/O error 131" for a script too
// short to hold its 8-byte trailer (a seek before the start of the file), or
// the code with which the script could not be opened (e.g. "I/O error 32"
// when another program holds it open for writing).
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(DWORD code);
    DWORD code() const { return code_; }

private:
    DWORD code_;
};

class ScriptFile {
public:
    explicit ScriptFile(Platform& platform) : platform_(platform) {}

    // Opens the file for reading, others may read it too; a failure is kept
    // and thrown by the first operation.
    void Open(const std::string& fileName);
    void Close() { handle_.reset(); }

    // The file size; sizes of 2 GiB and more are refused (positions are
    // reported as 32-bit signed numbers).
    std::uint32_t Size();
    std::uint32_t Position() const { return position_; }
    // Seeks to an absolute position. A position before the start of the
    // file (given as a negative offset) fails with ERROR_NEGATIVE_SEEK.
    void Seek(std::int64_t position);
    // Reads up to count bytes; gives the number read (0 at the end of file).
    std::size_t BlockRead(void* buffer, std::size_t count);

private:
    [[noreturn]] void Fail(DWORD error) const;
    void CheckOpen() const;

    Platform& platform_;
    FileHandle handle_;
    DWORD openError_ = 0;
    std::uint32_t position_ = 0;  // where the next byte comes from
    // The read-ahead: bytes [bufferStart_, bufferStart_ + bufferLength_) of
    // the file; the Windows file pointer stands at their end.
    static constexpr std::size_t kBufferSize = 65536;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint32_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
};

}  // namespace qm
