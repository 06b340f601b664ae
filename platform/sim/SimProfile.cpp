// The private-profile (INI) functions of the simulated machine. (not yet simulated: every call fails).
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

DWORD SimPlatform::GetPrivateProfileStringA(const char* /*section*/, const char* /*key*/, const char* /*defaultText*/, char* /*buffer*/, DWORD /*size*/, const char* /*fileName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, DWORD{0});
}

BOOL SimPlatform::WritePrivateProfileStringA(const char* /*section*/, const char* /*key*/, const char* /*text*/, const char* /*fileName*/) {
    return Fail(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
}

}  // namespace qm::sim
