// The registry functions of the simulated machine. (not yet simulated: every call fails).
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

LONG SimPlatform::RegOpenKeyExA(HKEY /*key*/, const char* /*subKey*/, DWORD /*options*/, REGSAM /*desired*/, HKEY* /*result*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegCreateKeyExA(HKEY /*key*/, const char* /*subKey*/, DWORD /*reserved*/, char* /*keyClass*/, DWORD /*options*/, REGSAM /*desired*/, const void* /*securityAttributes*/, HKEY* /*result*/, DWORD* /*disposition*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegQueryValueExA(HKEY /*key*/, const char* /*valueName*/, DWORD* /*reserved*/, DWORD* /*type*/, BYTE* /*data*/, DWORD* /*dataSize*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegQueryValueExW(HKEY /*key*/, const WCHAR* /*valueName*/, DWORD* /*reserved*/, DWORD* /*type*/, BYTE* /*data*/, DWORD* /*dataSize*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegSetValueExA(HKEY /*key*/, const char* /*valueName*/, DWORD /*reserved*/, DWORD /*type*/, const BYTE* /*data*/, DWORD /*dataSize*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegSetValueExW(HKEY /*key*/, const WCHAR* /*valueName*/, DWORD /*reserved*/, DWORD /*type*/, const BYTE* /*data*/, DWORD /*dataSize*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegDeleteValueA(HKEY /*key*/, const char* /*valueName*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegDeleteKeyA(HKEY /*key*/, const char* /*subKey*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegEnumKeyExA(HKEY /*key*/, DWORD /*index*/, char* /*name*/, DWORD* /*nameSize*/, DWORD* /*reserved*/, char* /*keyClass*/, DWORD* /*classSize*/, FILETIME* /*lastWriteTime*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegQueryInfoKeyA(HKEY /*key*/, char* /*keyClass*/, DWORD* /*classSize*/, DWORD* /*reserved*/, DWORD* /*subKeys*/, DWORD* /*maxSubKeyLen*/, DWORD* /*maxClassLen*/, DWORD* /*values*/, DWORD* /*maxValueNameLen*/, DWORD* /*maxValueLen*/, DWORD* /*securityDescriptorSize*/, FILETIME* /*lastWriteTime*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG SimPlatform::RegCloseKey(HKEY /*key*/) {
    return ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace qm::sim
