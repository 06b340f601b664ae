// Errors, handles, system information, processes, modules, text and user interface: pass-through to Windows (placeholder: every call fails).
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

DWORD Win32Platform::GetLastError() {
    return 0;
}

void Win32Platform::SetLastError(DWORD) {
}

BOOL Win32Platform::CloseHandle(HANDLE) {
    return FALSE;
}

UINT Win32Platform::GetWindowsDirectoryA(char*, UINT) {
    return 0;
}

UINT Win32Platform::GetSystemDirectoryA(char*, UINT) {
    return 0;
}

DWORD Win32Platform::GetTempPathA(DWORD, char*) {
    return 0;
}

DWORD Win32Platform::GetModuleFileNameA(HMODULE, char*, DWORD) {
    return 0;
}

UINT Win32Platform::SetErrorMode(UINT) {
    return 0;
}

BOOL Win32Platform::GetUserNameA(char*, DWORD*) {
    return FALSE;
}

DWORD Win32Platform::GetEnvironmentVariableA(const char*, char*, DWORD) {
    return 0;
}

BOOL Win32Platform::SetEnvironmentVariableA(const char*, const char*) {
    return FALSE;
}

BOOL Win32Platform::GetVersionExA(OSVERSIONINFOA*) {
    return FALSE;
}

void Win32Platform::GetLocalTime(SYSTEMTIME*) {
}

void Win32Platform::GetSystemTime(SYSTEMTIME*) {
}

void Win32Platform::Sleep(DWORD) {
}

HANDLE Win32Platform::CreateToolhelp32Snapshot(DWORD, DWORD) {
    return kInvalidHandle;
}

BOOL Win32Platform::Process32First(HANDLE, PROCESSENTRY32*) {
    return FALSE;
}

BOOL Win32Platform::Process32Next(HANDLE, PROCESSENTRY32*) {
    return FALSE;
}

BOOL Win32Platform::EnumProcessModules(HANDLE, HMODULE*, DWORD, DWORD*) {
    return FALSE;
}

DWORD Win32Platform::GetModuleFileNameExA(HANDLE, HMODULE, char*, DWORD) {
    return 0;
}

HANDLE Win32Platform::OpenProcess(DWORD, BOOL, DWORD) {
    return kInvalidHandle;
}

BOOL Win32Platform::TerminateProcess(HANDLE, UINT) {
    return FALSE;
}

UINT Win32Platform::WinExec(const char*, UINT) {
    return 0;
}

HMODULE Win32Platform::LoadLibraryA(const char*) {
    return 0;
}

FARPROC Win32Platform::GetProcAddress(HMODULE, const char*) {
    return nullptr;
}

BOOL Win32Platform::FreeLibrary(HMODULE) {
    return FALSE;
}

int Win32Platform::CompareStringA(LCID, DWORD, const char*, int, const char*, int) {
    return 0;
}

DWORD Win32Platform::CharUpperBuffA(char*, DWORD) {
    return 0;
}

int Win32Platform::MultiByteToWideChar(UINT, DWORD, const char*, int, WCHAR*, int) {
    return 0;
}

int Win32Platform::MessageBoxA(HWND, const char*, const char*, UINT) {
    return 0;
}

std::intptr_t Win32Platform::ShellExecuteA(HWND, const char*, const char*, const char*, const char*, int) {
    return 0;
}

}  // namespace qm::win32
