// The reader's script file: open, size, seek and block read through the
// platform, with the position kept here (it only ever moves by these calls).
#include "reader/ScriptFile.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qm {

namespace {
constexpr DWORD kErrorNegativeSeek = 131;   // ERROR_NEGATIVE_SEEK
constexpr DWORD kErrorFileTooLarge = 223;   // ERROR_FILE_TOO_LARGE
constexpr std::uint32_t kLargestSize = std::numeric_limits<std::int32_t>::max();
}  // namespace

EInOutError::EInOutError(DWORD code) : std::runtime_error("I/O error " + std::to_string(code)), code_(code) {}

void ScriptFile::Open(const std::string& fileName) {
    position_ = 0;
    openError_ = 0;
    bufferStart_ = 0;
    bufferLength_ = 0;
    const HANDLE handle = platform_.CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (handle == kInvalidHandle) {
        openError_ = platform_.GetLastError();
        if (openError_ == 0) openError_ = static_cast<DWORD>(ERROR_INVALID_HANDLE);
        return;
    }
    handle_ = FileHandle(platform_, handle);
}

void ScriptFile::Fail(DWORD error) const {
    throw EInOutError(error != 0 ? error : static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

void ScriptFile::CheckOpen() const {
    if (!handle_) Fail(openError_);
}

std::uint32_t ScriptFile::Size() {
    CheckOpen();
    DWORD high = 0;
    // A low part of all ones is a failure only when the last error says so.
    platform_.SetLastError(0);
    const DWORD low = platform_.GetFileSize(handle_.get(), &high);
    if (low == INVALID_FILE_SIZE) {
        const DWORD error = platform_.GetLastError();
        if (error != 0) Fail(error);
    }
    if (high != 0 || low > kLargestSize) Fail(kErrorFileTooLarge);
    return low;
}

void ScriptFile::Seek(std::int64_t position) {
    CheckOpen();
    if (position < 0) Fail(kErrorNegativeSeek);
    if (position > static_cast<std::int64_t>(kLargestSize)) Fail(kErrorFileTooLarge);
    const auto target = static_cast<std::uint32_t>(position);
    // Within the read-ahead: nothing to ask of Windows.
    if (bufferLength_ > 0 && target >= bufferStart_ && target <= bufferStart_ + bufferLength_) {
        position_ = target;
        return;
    }
    const DWORD result = platform_.SetFilePointer(handle_.get(), static_cast<LONG>(target), nullptr, FILE_BEGIN);
    if (result == INVALID_SET_FILE_POINTER) Fail(platform_.GetLastError());
    position_ = target;
    bufferStart_ = target;
    bufferLength_ = 0;
}

std::size_t ScriptFile::BlockRead(void* buffer, std::size_t count) {
    CheckOpen();
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t offset = position_ - bufferStart_;
        if (offset < bufferLength_) {
            const std::size_t take = std::min(count - done, bufferLength_ - offset);
            std::memcpy(out + done, buffer_.get() + offset, take);
            done += take;
            position_ += static_cast<std::uint32_t>(take);
            continue;
        }
        // The read-ahead is used up; Windows' file pointer is at position_.
        if (!buffer_) buffer_ = std::make_unique<std::uint8_t[]>(kBufferSize);
        DWORD got = 0;
        if (!platform_.ReadFile(handle_.get(), buffer_.get(), static_cast<DWORD>(kBufferSize), &got, nullptr))
            Fail(platform_.GetLastError());
        if (got > kBufferSize) got = static_cast<DWORD>(kBufferSize);  // never trust a count beyond the buffer
        bufferStart_ = position_;
        bufferLength_ = got;
        if (got == 0) break;  // the end of the file
    }
    return done;
}

}  // namespace qm
