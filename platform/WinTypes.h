// The Windows types, constants and records that the platform interface speaks.
//
// The portable core is written against these, never against <windows.h>, so it
// builds on Linux too. Every name and value is the one Windows uses. Each
// constant is guarded, so a translation unit that includes <windows.h> first
// simply keeps Windows' own macro of the same name and value.
#pragma once

#include <cstdint>

// The calling convention of exported Windows functions, for casting what
// GetProcAddress gives back: stdcall on 32-bit Windows, the only convention
// elsewhere.
#ifndef QM_STDCALL
#if defined(_WIN32) && !defined(_WIN64)
#define QM_STDCALL __stdcall
#else
#define QM_STDCALL
#endif
#endif

namespace qm {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using BOOL = int;
using REGSAM = DWORD;
using HRESULT = std::int32_t;
using LCID = DWORD;
using WCHAR = char16_t;  // UTF-16 code unit, as on Windows
using ULONG = std::uint32_t;
using NTSTATUS = std::int32_t;  // the native API's result

// Handles are opaque numbers. The simulated machine hands out small ones; the
// Win32 backend carries the real handle values through unchanged.
using HKEY = std::uintptr_t;
using HANDLE = std::uintptr_t;
using HMODULE = std::uintptr_t;
using HWND = std::uintptr_t;
using FARPROC = void (*)();

// Root keys. Named by their short forms because <windows.h> defines the long
// names as macros; the values are the 32-bit ones Windows documents.
inline constexpr HKEY HKCR = 0x80000000u;  // HKEY_CLASSES_ROOT
inline constexpr HKEY HKCU = 0x80000001u;  // HKEY_CURRENT_USER
inline constexpr HKEY HKLM = 0x80000002u;  // HKEY_LOCAL_MACHINE
inline constexpr HKEY HKU = 0x80000003u;   // HKEY_USERS
inline constexpr HKEY HKCC = 0x80000005u;  // HKEY_CURRENT_CONFIG

inline constexpr HANDLE kInvalidHandle = ~static_cast<HANDLE>(0);  // INVALID_HANDLE_VALUE

#ifndef TRUE
inline constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOL FALSE = 0;
#endif
#ifndef MAX_PATH
inline constexpr DWORD MAX_PATH = 260;
#endif

// ---- Error codes (winerror.h) ----
#ifndef ERROR_SUCCESS
inline constexpr LONG ERROR_SUCCESS = 0;
#endif
#ifndef ERROR_INVALID_FUNCTION
inline constexpr LONG ERROR_INVALID_FUNCTION = 1;
#endif
#ifndef ERROR_FILE_NOT_FOUND
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
#endif
#ifndef ERROR_PATH_NOT_FOUND
inline constexpr LONG ERROR_PATH_NOT_FOUND = 3;
#endif
#ifndef ERROR_ACCESS_DENIED
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
#endif
#ifndef ERROR_INVALID_HANDLE
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
#endif
#ifndef ERROR_NOT_ENOUGH_MEMORY
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
#endif
#ifndef ERROR_NO_MORE_FILES
inline constexpr LONG ERROR_NO_MORE_FILES = 18;
#endif
#ifndef ERROR_WRITE_PROTECT
inline constexpr LONG ERROR_WRITE_PROTECT = 19;
#endif
#ifndef ERROR_WRITE_FAULT
inline constexpr LONG ERROR_WRITE_FAULT = 29;
#endif
#ifndef ERROR_READ_FAULT
inline constexpr LONG ERROR_READ_FAULT = 30;
#endif
#ifndef ERROR_SHARING_VIOLATION
inline constexpr LONG ERROR_SHARING_VIOLATION = 32;
#endif
#ifndef ERROR_NOT_SAME_DEVICE
inline constexpr LONG ERROR_NOT_SAME_DEVICE = 17;  // a move that would cross volumes
#endif
#ifndef ERROR_LOCK_VIOLATION
inline constexpr LONG ERROR_LOCK_VIOLATION = 33;
#endif
#ifndef ERROR_HANDLE_EOF
inline constexpr LONG ERROR_HANDLE_EOF = 38;
#endif
#ifndef ERROR_FILE_EXISTS
inline constexpr LONG ERROR_FILE_EXISTS = 80;
#endif
#ifndef ERROR_INVALID_PARAMETER
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
#endif
#ifndef ERROR_DISK_FULL
inline constexpr LONG ERROR_DISK_FULL = 112;
#endif
#ifndef ERROR_CALL_NOT_IMPLEMENTED
inline constexpr LONG ERROR_CALL_NOT_IMPLEMENTED = 120;
#endif
#ifndef ERROR_BUFFER_OVERFLOW
inline constexpr LONG ERROR_BUFFER_OVERFLOW = 111;
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
inline constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
#endif
#ifndef ERROR_INVALID_NAME
inline constexpr LONG ERROR_INVALID_NAME = 123;
#endif
#ifndef ERROR_MOD_NOT_FOUND
inline constexpr LONG ERROR_MOD_NOT_FOUND = 126;
#endif
#ifndef ERROR_PROC_NOT_FOUND
inline constexpr LONG ERROR_PROC_NOT_FOUND = 127;
#endif
#ifndef ERROR_DIR_NOT_EMPTY
inline constexpr LONG ERROR_DIR_NOT_EMPTY = 145;
#endif
#ifndef ERROR_BAD_PATHNAME
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
#endif
#ifndef ERROR_ALREADY_EXISTS
inline constexpr LONG ERROR_ALREADY_EXISTS = 183;
#endif
#ifndef ERROR_PARTIAL_COPY
inline constexpr LONG ERROR_PARTIAL_COPY = 299;
#endif
#ifndef ERROR_BAD_EXE_FORMAT
inline constexpr LONG ERROR_BAD_EXE_FORMAT = 193;
#endif
#ifndef ERROR_ENVVAR_NOT_FOUND
inline constexpr LONG ERROR_ENVVAR_NOT_FOUND = 203;
#endif
#ifndef ERROR_MORE_DATA
inline constexpr LONG ERROR_MORE_DATA = 234;
#endif
#ifndef ERROR_NO_MORE_ITEMS
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
#endif
#ifndef ERROR_KEY_DELETED
inline constexpr LONG ERROR_KEY_DELETED = 1018;
#endif
#ifndef ERROR_BADKEY
inline constexpr LONG ERROR_BADKEY = 1010;
#endif
#ifndef ERROR_CANTOPEN
inline constexpr LONG ERROR_CANTOPEN = 1011;
#endif
#ifndef ERROR_CANTREAD
inline constexpr LONG ERROR_CANTREAD = 1012;
#endif
#ifndef ERROR_CANTWRITE
inline constexpr LONG ERROR_CANTWRITE = 1013;
#endif

// ---- Registry (winnt.h, winreg.h) ----
#ifndef REG_NONE
inline constexpr DWORD REG_NONE = 0;
#endif
#ifndef REG_SZ
inline constexpr DWORD REG_SZ = 1;
#endif
#ifndef REG_EXPAND_SZ
inline constexpr DWORD REG_EXPAND_SZ = 2;
#endif
#ifndef REG_BINARY
inline constexpr DWORD REG_BINARY = 3;
#endif
#ifndef REG_DWORD
inline constexpr DWORD REG_DWORD = 4;
#endif
#ifndef REG_MULTI_SZ
inline constexpr DWORD REG_MULTI_SZ = 7;
#endif
#ifndef REG_RESOURCE_LIST
inline constexpr DWORD REG_RESOURCE_LIST = 8;
#endif
#ifndef KEY_QUERY_VALUE
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
#endif
#ifndef KEY_SET_VALUE
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
#endif
#ifndef KEY_CREATE_SUB_KEY
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
#endif
#ifndef KEY_ENUMERATE_SUB_KEYS
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
#endif
#ifndef KEY_NOTIFY
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
#endif
#ifndef KEY_CREATE_LINK
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
#endif
#ifndef KEY_WOW64_64KEY
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;  // the 64-bit registry view, from either program
#endif
#ifndef KEY_WOW64_32KEY
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;  // the 32-bit registry view, from either program
#endif
#ifndef KEY_READ
inline constexpr REGSAM KEY_READ = 0x20019;
#endif
#ifndef KEY_WRITE
inline constexpr REGSAM KEY_WRITE = 0x20006;
#endif
#ifndef KEY_ALL_ACCESS
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
#endif
#ifndef DELETE
inline constexpr REGSAM DELETE = 0x00010000;
#endif
#ifndef REG_OPTION_NON_VOLATILE
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
#endif
#ifndef REG_CREATED_NEW_KEY
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
#endif
#ifndef REG_OPENED_EXISTING_KEY
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
#endif

// ---- Files (winnt.h, winbase.h) ----
#ifndef INVALID_FILE_ATTRIBUTES
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
#endif
#ifndef FILE_ATTRIBUTE_READONLY
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
#endif
#ifndef FILE_ATTRIBUTE_HIDDEN
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
#endif
#ifndef FILE_ATTRIBUTE_SYSTEM
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
#endif
#ifndef FILE_ATTRIBUTE_DIRECTORY
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
#endif
#ifndef FILE_ATTRIBUTE_ARCHIVE
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
#endif
#ifndef FILE_ATTRIBUTE_NORMAL
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
#endif
#ifndef GENERIC_READ
inline constexpr DWORD GENERIC_READ = 0x80000000u;
#endif
#ifndef GENERIC_WRITE
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
#endif
#ifndef FILE_WRITE_ATTRIBUTES
inline constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;
#endif
#ifndef FILE_READ_ATTRIBUTES
inline constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
#endif
#ifndef FILE_FLAG_BACKUP_SEMANTICS
inline constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;  // opens a folder, to read or set its times
#endif
#ifndef FILE_APPEND_DATA
inline constexpr DWORD FILE_APPEND_DATA = 0x0004;
#endif
#ifndef FILE_SHARE_READ
inline constexpr DWORD FILE_SHARE_READ = 0x1;
#endif
#ifndef FILE_SHARE_WRITE
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
#endif
#ifndef FILE_SHARE_DELETE
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
#endif
#ifndef CREATE_NEW
inline constexpr DWORD CREATE_NEW = 1;
#endif
#ifndef CREATE_ALWAYS
inline constexpr DWORD CREATE_ALWAYS = 2;
#endif
#ifndef OPEN_EXISTING
inline constexpr DWORD OPEN_EXISTING = 3;
#endif
#ifndef OPEN_ALWAYS
inline constexpr DWORD OPEN_ALWAYS = 4;
#endif
#ifndef TRUNCATE_EXISTING
inline constexpr DWORD TRUNCATE_EXISTING = 5;
#endif
#ifndef FILE_BEGIN
inline constexpr DWORD FILE_BEGIN = 0;
#endif
#ifndef FILE_CURRENT
inline constexpr DWORD FILE_CURRENT = 1;
#endif
#ifndef FILE_END
inline constexpr DWORD FILE_END = 2;
#endif
#ifndef INVALID_SET_FILE_POINTER
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
#endif
#ifndef INVALID_FILE_SIZE
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
#endif
#ifndef MOVEFILE_REPLACE_EXISTING
inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
#endif
#ifndef MOVEFILE_COPY_ALLOWED
inline constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
#endif
#ifndef MOVEFILE_DELAY_UNTIL_REBOOT
inline constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4;
#endif
#ifndef SEM_FAILCRITICALERRORS
inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
#endif
#ifndef SEM_NOOPENFILEERRORBOX
inline constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;
#endif

// ---- Shell folder deletion (shellapi.h) ----
#ifndef FO_MOVE
inline constexpr UINT FO_MOVE = 1;
#endif
#ifndef FO_COPY
inline constexpr UINT FO_COPY = 2;
#endif
#ifndef FO_DELETE
inline constexpr UINT FO_DELETE = 3;
#endif
#ifndef FO_RENAME
inline constexpr UINT FO_RENAME = 4;
#endif
#ifndef FOF_SILENT
inline constexpr WORD FOF_SILENT = 0x0004;
#endif
#ifndef FOF_NOCONFIRMATION
inline constexpr WORD FOF_NOCONFIRMATION = 0x0010;
#endif
#ifndef FOF_ALLOWUNDO
inline constexpr WORD FOF_ALLOWUNDO = 0x0040;
#endif
#ifndef FOF_NOCONFIRMMKDIR
inline constexpr WORD FOF_NOCONFIRMMKDIR = 0x0200;
#endif
#ifndef FOF_NOERRORUI
inline constexpr WORD FOF_NOERRORUI = 0x0400;
#endif

// ---- Processes (winnt.h, tlhelp32.h) ----
#ifndef TH32CS_SNAPPROCESS
inline constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;
#endif
#ifndef PROCESS_TERMINATE
inline constexpr DWORD PROCESS_TERMINATE = 0x0001;
#endif
#ifndef PROCESS_VM_READ
inline constexpr DWORD PROCESS_VM_READ = 0x0010;
#endif
#ifndef PROCESS_QUERY_INFORMATION
inline constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
#endif
#ifndef PROCESS_QUERY_LIMITED_INFORMATION
inline constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
#endif
#ifndef SYNCHRONIZE
inline constexpr DWORD SYNCHRONIZE = 0x00100000;
#endif
#ifndef CREATE_NO_WINDOW
inline constexpr DWORD CREATE_NO_WINDOW = 0x08000000;
#endif
#ifndef STARTF_USESHOWWINDOW
inline constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
#endif
#ifndef INFINITE
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
#endif
#ifndef WAIT_OBJECT_0
inline constexpr DWORD WAIT_OBJECT_0 = 0;
#endif
#ifndef WAIT_TIMEOUT
inline constexpr DWORD WAIT_TIMEOUT = 0x102;
#endif
#ifndef WAIT_FAILED
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
#endif
#ifndef STILL_ACTIVE
inline constexpr DWORD STILL_ACTIVE = 259;
#endif
#ifndef PROCESSOR_ARCHITECTURE_INTEL
inline constexpr WORD PROCESSOR_ARCHITECTURE_INTEL = 0;
#endif
#ifndef PROCESSOR_ARCHITECTURE_IA64
inline constexpr WORD PROCESSOR_ARCHITECTURE_IA64 = 6;
#endif
#ifndef PROCESSOR_ARCHITECTURE_AMD64
inline constexpr WORD PROCESSOR_ARCHITECTURE_AMD64 = 9;
#endif
#ifndef PROCESSOR_ARCHITECTURE_ARM64
inline constexpr WORD PROCESSOR_ARCHITECTURE_ARM64 = 12;
#endif
// NtQueryInformationProcess: whether Windows ends itself when the process ends
// (a critical process), as a ULONG.
inline constexpr int kProcessBreakOnTermination = 29;
// NtQueryKey: the information class that gives a key's full name, and its results.
inline constexpr int kKeyNameInformation = 3;
inline constexpr NTSTATUS kStatusSuccess = 0;
inline constexpr NTSTATUS kStatusBufferOverflow = static_cast<NTSTATUS>(0x80000005u);
inline constexpr NTSTATUS kStatusNotImplemented = static_cast<NTSTATUS>(0xC0000002u);
inline constexpr NTSTATUS kStatusInvalidHandle = static_cast<NTSTATUS>(0xC0000008u);
inline constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000Du);
inline constexpr NTSTATUS kStatusBufferTooSmall = static_cast<NTSTATUS>(0xC0000023u);
inline constexpr NTSTATUS kStatusKeyDeleted = static_cast<NTSTATUS>(0xC000017Cu);
#ifndef VER_PLATFORM_WIN32s
inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
#endif
#ifndef VER_PLATFORM_WIN32_WINDOWS
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
#endif
#ifndef VER_PLATFORM_WIN32_NT
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
#endif
#ifndef SW_HIDE
inline constexpr UINT SW_HIDE = 0;
#endif
#ifndef SW_SHOWNORMAL
inline constexpr UINT SW_SHOWNORMAL = 1;
#endif
#ifndef SW_SHOW
inline constexpr UINT SW_SHOW = 5;
#endif

// ---- Shell folders (shlobj.h) ----
#ifndef CSIDL_DESKTOPDIRECTORY
inline constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
#endif
#ifndef CSIDL_COMMON_STARTMENU
inline constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
#endif
#ifndef CSIDL_COMMON_PROGRAMS
inline constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
#endif
#ifndef CSIDL_COMMON_STARTUP
inline constexpr int CSIDL_COMMON_STARTUP = 0x0018;
#endif
#ifndef CSIDL_COMMON_DESKTOPDIRECTORY
inline constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
#endif
#ifndef CSIDL_APPDATA
inline constexpr int CSIDL_APPDATA = 0x001A;
#endif
#ifndef CSIDL_LOCAL_APPDATA
inline constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
#endif
#ifndef CSIDL_COMMON_APPDATA
inline constexpr int CSIDL_COMMON_APPDATA = 0x0023;
#endif
#ifndef CSIDL_PROFILE
inline constexpr int CSIDL_PROFILE = 0x0028;
#endif
#ifndef CSIDL_COMMON_DOCUMENTS
inline constexpr int CSIDL_COMMON_DOCUMENTS = 0x002E;
#endif
#ifndef SHGFP_TYPE_CURRENT
inline constexpr DWORD SHGFP_TYPE_CURRENT = 0;
#endif
#ifndef S_OK
inline constexpr HRESULT S_OK = 0;
#endif
#ifndef E_FAIL
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
#endif

// ---- Message boxes (winuser.h) ----
#ifndef MB_OK
inline constexpr UINT MB_OK = 0x00000000;
#endif
#ifndef MB_ICONHAND
inline constexpr UINT MB_ICONHAND = 0x00000010;  // the error icon (MB_ICONERROR)
#endif
#ifndef MB_ICONEXCLAMATION
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;  // the warning icon (MB_ICONWARNING)
#endif
#ifndef MB_ICONASTERISK
inline constexpr UINT MB_ICONASTERISK = 0x00000040;  // the information icon
#endif
#ifndef IDOK
inline constexpr int IDOK = 1;
#endif

// ---- Text (winnls.h) ----
#ifndef CP_ACP
inline constexpr UINT CP_ACP = 0;
#endif
#ifndef NORM_IGNORECASE
inline constexpr DWORD NORM_IGNORECASE = 0x00000001;
#endif
#ifndef LOCALE_USER_DEFAULT
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
#endif
#ifndef CSTR_LESS_THAN
inline constexpr int CSTR_LESS_THAN = 1;
#endif
#ifndef CSTR_EQUAL
inline constexpr int CSTR_EQUAL = 2;
#endif
#ifndef CSTR_GREATER_THAN
inline constexpr int CSTR_GREATER_THAN = 3;
#endif

// ---- Records. Same fields and meanings as the Windows structures; the Win32
// backend copies between these and the real ones, so sizes need not match. ----

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    char cFileName[260] = {};
    char cAlternateFileName[14] = {};
};

// The ANSI process entry. Windows checks dwSize; callers set it to 296, the
// size of the 32-bit record.
struct PROCESSENTRY32 {
    DWORD dwSize = 0;
    DWORD cntUsage = 0;
    DWORD th32ProcessID = 0;
    std::uintptr_t th32DefaultHeapID = 0;
    DWORD th32ModuleID = 0;
    DWORD cntThreads = 0;
    DWORD th32ParentProcessID = 0;
    LONG pcPriClassBase = 0;
    DWORD dwFlags = 0;
    char szExeFile[260] = {};
};
inline constexpr DWORD kProcessEntry32Size = 296;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize = 0;  // callers set 148
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
inline constexpr DWORD kOsVersionInfoASize = 148;

// What GetNativeSystemInfo reports that the program uses.
struct SYSTEM_INFO {
    WORD wProcessorArchitecture = 0;
    DWORD dwPageSize = 0;
    DWORD dwNumberOfProcessors = 0;
};

struct STARTUPINFOA {
    DWORD cb = 0;  // callers set the size of the record; the Win32 backend fills in its own
    DWORD dwFlags = 0;
    WORD wShowWindow = 0;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess = 0;
    HANDLE hThread = 0;
    DWORD dwProcessId = 0;
    DWORD dwThreadId = 0;
};

struct SHFILEOPSTRUCTA {
    HWND hwnd = 0;
    UINT wFunc = 0;
    const char* pFrom = nullptr;  // list of names, each ended by a zero, the list by a second zero
    const char* pTo = nullptr;
    WORD fFlags = 0;
    BOOL fAnyOperationsAborted = FALSE;
    void* hNameMappings = nullptr;
    const char* lpszProgressTitle = nullptr;
};

}  // namespace qm
