// Files, folders, short names, the current directory and shell folder deletion of the simulated machine. (not yet simulated: every call fails).
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

HANDLE SimPlatform::CreateFileA(const char* /*fileName*/, DWORD /*access*/, DWORD /*shareMode*/, const void* /*securityAttributes*/, DWORD /*creation*/, DWORD /*flags*/, HANDLE /*templateFile*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, kInvalidHandle);
}

BOOL SimPlatform::ReadFile(HANDLE /*file*/, void* /*buffer*/, DWORD /*toRead*/, DWORD* /*read*/, void* /*overlapped*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::WriteFile(HANDLE /*file*/, const void* /*buffer*/, DWORD /*toWrite*/, DWORD* /*written*/, void* /*overlapped*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

DWORD SimPlatform::SetFilePointer(HANDLE /*file*/, LONG /*distance*/, LONG* /*distanceHigh*/, DWORD /*method*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

DWORD SimPlatform::GetFileSize(HANDLE /*file*/, DWORD* /*sizeHigh*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

HANDLE SimPlatform::FindFirstFileA(const char* /*fileName*/, WIN32_FIND_DATAA* /*data*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, kInvalidHandle);
}

BOOL SimPlatform::FindNextFileA(HANDLE /*find*/, WIN32_FIND_DATAA* /*data*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::FindClose(HANDLE /*find*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

DWORD SimPlatform::GetFileAttributesA(const char* /*fileName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

BOOL SimPlatform::SetFileAttributesA(const char* /*fileName*/, DWORD /*attributes*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::CreateDirectoryA(const char* /*pathName*/, const void* /*securityAttributes*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::RemoveDirectoryA(const char* /*pathName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::DeleteFileA(const char* /*fileName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::MoveFileA(const char* /*existing*/, const char* /*newName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::MoveFileExA(const char* /*existing*/, const char* /*newName*/, DWORD /*flags*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

DWORD SimPlatform::GetShortPathNameA(const char* /*longPath*/, char* /*shortPath*/, DWORD /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

DWORD SimPlatform::GetCurrentDirectoryA(DWORD /*size*/, char* /*buffer*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

BOOL SimPlatform::SetCurrentDirectoryA(const char* /*pathName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

int SimPlatform::SHFileOperationA(SHFILEOPSTRUCTA* /*operation*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, 0);
}

}  // namespace qm::sim
