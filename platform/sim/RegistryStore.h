// Placeholder: filled in by the simulated machine's RegistryStore.
#pragma once

#include "platform/WinTypes.h"

namespace qm::sim {

class RegistryStore {
public:
    // Releases a handle this store issued; false when it is not one of its own.
    bool CloseHandle(HANDLE) { return false; }
};

}  // namespace qm::sim
