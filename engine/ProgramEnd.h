// Asking the application to end. The request only takes effect when control
// returns to the message loop: the wizard installs what ends its loop, and
// tests look at the flag.
#pragma once

namespace qm {

void RequestProgramEnd();
bool ProgramEndRequested();
void ResetProgramEndRequest();
// What a request does besides raising the flag (the wizard's quit message).
void SetProgramEndProc(void (*proc)());

}  // namespace qm
