// System information, processes, modules, text and user interface of the simulated machine. (not yet simulated: every call fails).
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

UINT SimPlatform::GetWindowsDirectoryA(char* /*buffer*/, UINT /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, UINT{0});
}

UINT SimPlatform::GetSystemDirectoryA(char* /*buffer*/, UINT /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, UINT{0});
}

DWORD SimPlatform::GetTempPathA(DWORD /*size*/, char* /*buffer*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

DWORD SimPlatform::GetModuleFileNameA(HMODULE /*module*/, char* /*buffer*/, DWORD /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

UINT SimPlatform::SetErrorMode(UINT /*mode*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, UINT{0});
}

BOOL SimPlatform::GetUserNameA(char* /*buffer*/, DWORD* /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

DWORD SimPlatform::GetEnvironmentVariableA(const char* /*name*/, char* /*buffer*/, DWORD /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

BOOL SimPlatform::SetEnvironmentVariableA(const char* /*name*/, const char* /*value*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::GetVersionExA(OSVERSIONINFOA* /*info*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

void SimPlatform::GetLocalTime(SYSTEMTIME* /*time*/) {
}

void SimPlatform::GetSystemTime(SYSTEMTIME* /*time*/) {
}

void SimPlatform::Sleep(DWORD /*milliseconds*/) {
}

HANDLE SimPlatform::CreateToolhelp32Snapshot(DWORD /*flags*/, DWORD /*processId*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, kInvalidHandle);
}

BOOL SimPlatform::Process32First(HANDLE /*snapshot*/, PROCESSENTRY32* /*entry*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::Process32Next(HANDLE /*snapshot*/, PROCESSENTRY32* /*entry*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

BOOL SimPlatform::EnumProcessModules(HANDLE /*process*/, HMODULE* /*modules*/, DWORD /*size*/, DWORD* /*needed*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

DWORD SimPlatform::GetModuleFileNameExA(HANDLE /*process*/, HMODULE /*module*/, char* /*buffer*/, DWORD /*size*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

HANDLE SimPlatform::OpenProcess(DWORD /*access*/, BOOL /*inheritHandle*/, DWORD /*processId*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, kInvalidHandle);
}

BOOL SimPlatform::TerminateProcess(HANDLE /*process*/, UINT /*exitCode*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

UINT SimPlatform::WinExec(const char* /*commandLine*/, UINT /*show*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, UINT{0});
}

HMODULE SimPlatform::LoadLibraryA(const char* /*fileName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, HMODULE{0});
}

FARPROC SimPlatform::GetProcAddress(HMODULE /*module*/, const char* /*procName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FARPROC{nullptr});
}

BOOL SimPlatform::FreeLibrary(HMODULE /*module*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

int SimPlatform::CompareStringA(LCID /*locale*/, DWORD /*flags*/, const char* /*string1*/, int /*count1*/, const char* /*string2*/, int /*count2*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, 0);
}

DWORD SimPlatform::CharUpperBuffA(char* /*text*/, DWORD /*length*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

int SimPlatform::MultiByteToWideChar(UINT /*codePage*/, DWORD /*flags*/, const char* /*text*/, int /*count*/, WCHAR* /*wide*/, int /*wideCount*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, 0);
}

int SimPlatform::MessageBoxA(HWND /*owner*/, const char* /*text*/, const char* /*caption*/, UINT /*type*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, 0);
}

std::intptr_t SimPlatform::ShellExecuteA(HWND /*owner*/, const char* /*operation*/, const char* /*file*/, const char* /*parameters*/, const char* /*directory*/, int /*show*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, std::intptr_t{0});
}

}  // namespace qm::sim
