// The registry functions: pass-through to Windows.
#include <windows.h>

#include <cstdint>

#include "platform/win32/RunTimeLookup.h"
#include "platform/win32/Win32Platform.h"

// Outside namespace qm, where HKEY in windows.h's macros is the real type.
namespace {

struct RootPair {
    std::uintptr_t ours;
    ::HKEY real;
};
const RootPair kRoots[] = {
    {0x80000000u, HKEY_CLASSES_ROOT},  {0x80000001u, HKEY_CURRENT_USER},  {0x80000002u, HKEY_LOCAL_MACHINE},
    {0x80000003u, HKEY_USERS},         {0x80000005u, HKEY_CURRENT_CONFIG},
};

}  // namespace

namespace qm::win32 {

namespace {

// qm's roots carry Windows' 32-bit values; the real HKEY_* are those values
// sign-extended to a pointer. Other keys are real handles passed as numbers.
::HKEY Real(HKEY key) {
    for (const RootPair& root : kRoots)
        if (root.ours == key) return root.real;
    return reinterpret_cast<::HKEY>(key);
}

// A root handed back by Windows (RegOpenKeyEx of a root with no sub-key
// gives the root itself) maps back onto qm's value.
HKEY Ours(::HKEY key) {
    for (const RootPair& root : kRoots)
        if (root.real == key) return root.ours;
    return reinterpret_cast<HKEY>(key);
}

::DWORD* Dw(DWORD* p) { return reinterpret_cast<::DWORD*>(p); }
::LPCWSTR Wide(const WCHAR* text) { return reinterpret_cast<::LPCWSTR>(text); }

}  // namespace

static_assert(sizeof(::DWORD) == sizeof(DWORD) && sizeof(WCHAR) == sizeof(wchar_t));

LONG Win32Platform::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result) {
    // Seeded with the caller's value: Windows leaves it alone on some failures.
    ::HKEY opened = result ? Real(*result) : nullptr;
    const LONG error = ::RegOpenKeyExA(Real(key), subKey, options, desired, result ? &opened : nullptr);
    if (result) *result = Ours(opened);
    return error;
}

LONG Win32Platform::RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                                    REGSAM desired, const void* securityAttributes, HKEY* result,
                                    DWORD* disposition) {
    ::HKEY created = result ? Real(*result) : nullptr;
    const LONG error = ::RegCreateKeyExA(
        Real(key), subKey, reserved, keyClass, options, desired,
        static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(securityAttributes)), result ? &created : nullptr,
        Dw(disposition));
    if (result) *result = Ours(created);
    return error;
}

LONG Win32Platform::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                                     DWORD* dataSize) {
    return ::RegQueryValueExA(Real(key), valueName, Dw(reserved), Dw(type), data, Dw(dataSize));
}

LONG Win32Platform::RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                                     DWORD* dataSize) {
    return ::RegQueryValueExW(Real(key), Wide(valueName), Dw(reserved), Dw(type), data, Dw(dataSize));
}

LONG Win32Platform::RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                                   DWORD dataSize) {
    return ::RegSetValueExA(Real(key), valueName, reserved, type, data, dataSize);
}

LONG Win32Platform::RegSetValueExW(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data,
                                   DWORD dataSize) {
    return ::RegSetValueExW(Real(key), Wide(valueName), reserved, type, data, dataSize);
}

LONG Win32Platform::RegDeleteValueA(HKEY key, const char* valueName) {
    return ::RegDeleteValueA(Real(key), valueName);
}

LONG Win32Platform::RegDeleteKeyA(HKEY key, const char* subKey) { return ::RegDeleteKeyA(Real(key), subKey); }

LONG Win32Platform::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                                  char* keyClass, DWORD* classSize, FILETIME* lastWriteTime) {
    ::FILETIME time{};
    const LONG error = ::RegEnumKeyExA(Real(key), index, name, Dw(nameSize), Dw(reserved), keyClass,
                                       Dw(classSize), lastWriteTime ? &time : nullptr);
    if (lastWriteTime && error == ERROR_SUCCESS) *lastWriteTime = {time.dwLowDateTime, time.dwHighDateTime};
    return error;
}

LONG Win32Platform::RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                                     DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                                     DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securityDescriptorSize,
                                     FILETIME* lastWriteTime) {
    ::FILETIME time{};
    const LONG error = ::RegQueryInfoKeyA(Real(key), keyClass, Dw(classSize), Dw(reserved), Dw(subKeys),
                                          Dw(maxSubKeyLen), Dw(maxClassLen), Dw(values), Dw(maxValueNameLen),
                                          Dw(maxValueLen), Dw(securityDescriptorSize),
                                          lastWriteTime ? &time : nullptr);
    if (lastWriteTime && error == ERROR_SUCCESS) *lastWriteTime = {time.dwLowDateTime, time.dwHighDateTime};
    return error;
}

LONG Win32Platform::RegCloseKey(HKEY key) { return ::RegCloseKey(Real(key)); }

LONG Win32Platform::RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, REGSAM desired, HKEY* result) {
    ::HKEY opened = result ? Real(*result) : nullptr;
    const LONG error = ::RegOpenKeyExW(Real(key), Wide(subKey), options, desired, result ? &opened : nullptr);
    if (result) *result = Ours(opened);
    return error;
}

LONG Win32Platform::RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
                                    REGSAM desired, const void* securityAttributes, HKEY* result,
                                    DWORD* disposition) {
    ::HKEY created = result ? Real(*result) : nullptr;
    const LONG error = ::RegCreateKeyExW(
        Real(key), Wide(subKey), reserved, reinterpret_cast<::LPWSTR>(keyClass), options, desired,
        static_cast<::LPSECURITY_ATTRIBUTES>(const_cast<void*>(securityAttributes)), result ? &created : nullptr,
        Dw(disposition));
    if (result) *result = Ours(created);
    return error;
}

LONG Win32Platform::RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize, DWORD* reserved,
                                  WCHAR* keyClass, DWORD* classSize, FILETIME* lastWriteTime) {
    ::FILETIME time{};
    const LONG error = ::RegEnumKeyExW(Real(key), index, reinterpret_cast<::LPWSTR>(name), Dw(nameSize), Dw(reserved),
                                       reinterpret_cast<::LPWSTR>(keyClass), Dw(classSize),
                                       lastWriteTime ? &time : nullptr);
    if (lastWriteTime && error == ERROR_SUCCESS) *lastWriteTime = {time.dwLowDateTime, time.dwHighDateTime};
    return error;
}

LONG Win32Platform::RegEnumValueW(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameSize, DWORD* reserved,
                                  DWORD* type, BYTE* data, DWORD* dataSize) {
    return ::RegEnumValueW(Real(key), index, reinterpret_cast<::LPWSTR>(valueName), Dw(valueNameSize), Dw(reserved),
                           Dw(type), data, Dw(dataSize));
}

LONG Win32Platform::RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) {
    using Function = ::LONG(WINAPI*)(::HKEY, ::LPCSTR, ::REGSAM, ::DWORD);
    static const auto function = Lookup<Function>("advapi32.dll", "RegDeleteKeyExA");
    if (function == nullptr) return ::RegDeleteKeyA(Real(key), subKey);
    return function(Real(key), subKey, desired, reserved);
}

NTSTATUS Win32Platform::NtQueryKey(HKEY key, int informationClass, void* information, ULONG length,
                                   ULONG* resultLength) {
    using Function = ::LONG(WINAPI*)(::HANDLE, int, ::PVOID, ::ULONG, ::PULONG);
    static const auto function = Lookup<Function>("ntdll.dll", "NtQueryKey");
    if (function == nullptr) return kStatusNotImplemented;
    ::ULONG got = 0;
    const NTSTATUS status = function(Real(key), informationClass, information, length, &got);
    if (resultLength != nullptr) *resultLength = got;
    return status;
}

}  // namespace qm::win32
