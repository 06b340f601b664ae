// RAII owners for the handles of the platform interface: each closes its
// handle through the platform that opened it, exactly once.
#pragma once

#include <utility>

#include "platform/Platform.h"

namespace qm {

// Owns a handle value; Close is the platform call that releases it and
// Invalid the value that means "no handle".
template <typename Value, auto Close, Value Invalid>
class PlatformHandle {
public:
    PlatformHandle() = default;
    PlatformHandle(Platform& platform, Value value) : platform_(&platform), value_(value) {}
    ~PlatformHandle() { reset(); }
    PlatformHandle(PlatformHandle&& other) noexcept
        : platform_(other.platform_), value_(std::exchange(other.value_, Invalid)) {}
    PlatformHandle& operator=(PlatformHandle&& other) noexcept {
        if (this != &other) {
            reset();
            platform_ = other.platform_;
            value_ = std::exchange(other.value_, Invalid);
        }
        return *this;
    }
    PlatformHandle(const PlatformHandle&) = delete;
    PlatformHandle& operator=(const PlatformHandle&) = delete;

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    // For out-parameters: releases what is held and lets the call fill it.
    Value* receive(Platform& platform) {
        reset();
        platform_ = &platform;
        return &value_;
    }
    void reset() {
        if (value_ != Invalid && platform_ != nullptr) (platform_->*Close)(value_);
        value_ = Invalid;
    }

private:
    Platform* platform_ = nullptr;
    Value value_ = Invalid;
};

using RegKey = PlatformHandle<HKEY, &Platform::RegCloseKey, HKEY{0}>;
// Files and snapshots use INVALID_HANDLE_VALUE for "none"; processes use 0.
using FileHandle = PlatformHandle<HANDLE, &Platform::CloseHandle, kInvalidHandle>;
using SnapshotHandle = PlatformHandle<HANDLE, &Platform::CloseHandle, kInvalidHandle>;
using ProcessHandle = PlatformHandle<HANDLE, &Platform::CloseHandle, HANDLE{0}>;
using FindHandle = PlatformHandle<HANDLE, &Platform::FindClose, kInvalidHandle>;
using ModuleHandle = PlatformHandle<HMODULE, &Platform::FreeLibrary, HMODULE{0}>;

}  // namespace qm
