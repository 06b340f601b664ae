// Makes a machine the current platform for the life of this object, the one
// way tests and benchmarks say "use this machine": the platform is installed
// (the special folders cached from any other machine are forgotten with it)
// and the program-end request starts cleared; both are put back at the end.
#pragma once

#include "engine/ProgramEnd.h"
#include "platform/Platform.h"

namespace qm::test {

class UseMachine {
public:
    explicit UseMachine(Platform& machine) : scoped_(machine) { ResetProgramEndRequest(); }
    ~UseMachine() { ResetProgramEndRequest(); }
    UseMachine(const UseMachine&) = delete;
    UseMachine& operator=(const UseMachine&) = delete;

private:
    ScopedPlatform scoped_;
};

}  // namespace qm::test
