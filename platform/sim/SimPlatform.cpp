// Construction of a simulated machine, its last-error value and CloseHandle.
#include "platform/sim/SimPlatform.h"

#include <atomic>
#include <cstdlib>
#include <unistd.h>
#include <system_error>

namespace qm::sim {

namespace {

std::filesystem::path MakeHostRoot() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    static std::atomic<unsigned> counter{0};
    for (;;) {
        auto candidate = base / ("quellmar-sim-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++));
        if (std::filesystem::create_directory(candidate, ec)) return candidate;
        if (ec) throw std::system_error(ec, "cannot create a simulated machine folder");
    }
}

}  // namespace

SimPlatform::SimPlatform() : SimPlatform(MakeHostRoot()) { ownsHostRoot_ = true; }

SimPlatform::SimPlatform(std::filesystem::path hostRoot)
    : hostRoot_(std::move(hostRoot)), disk_(hostRoot_) {
    std::filesystem::create_directories(hostRoot_ / "drive_c");
}

SimPlatform::~SimPlatform() {
    if (ownsHostRoot_) {
        std::error_code ec;
        std::filesystem::remove_all(hostRoot_, ec);
    }
}

DWORD SimPlatform::StartProcess(const std::string& exePath) {
    disk_.MarkInUse(exePath, ERROR_ACCESS_DENIED);
    return processes_.Start(exePath);
}

bool SimPlatform::EndProcess(DWORD processId, DWORD exitCode) {
    const SimProcess* process = processes_.Find(processId);
    if (process == nullptr) return false;
    const std::string image = process->exePath;
    processes_.End(processId, exitCode);
    if (!processes_.IsImageRunning(image)) disk_.ClearInUse(image);
    return true;
}

DWORD SimPlatform::GetLastError() { return lastError_; }

void SimPlatform::SetLastError(DWORD error) { lastError_ = error; }

BOOL SimPlatform::CloseHandle(HANDLE handle) {
    if (disk_.CloseHandle(handle) || processes_.CloseHandle(handle)) return TRUE;
    return Fail(ERROR_INVALID_HANDLE, FALSE);
}

}  // namespace qm::sim
