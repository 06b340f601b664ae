// The application's end request.
#include "engine/ProgramEnd.h"

namespace qm {

namespace {
bool g_requested = false;
void (*g_proc)() = nullptr;
}  // namespace

void RequestProgramEnd() {
    g_requested = true;
    if (g_proc != nullptr) g_proc();
}

bool ProgramEndRequested() { return g_requested; }

void ResetProgramEndRequest() { g_requested = false; }

void SetProgramEndProc(void (*proc)()) { g_proc = proc; }

}  // namespace qm
