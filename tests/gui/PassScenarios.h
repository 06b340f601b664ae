// The GUI test's scenarios of a running pass: clicks and keys during a scan,
// Exit, Esc and the close box during a scan and a removal (stop and do not
// stop), About during a scan, and the report's summary line.
#pragma once

#include "tests/gui/GuiProbe.h"

namespace gui {

// The keys that the script adds after its pest: each removal adds them, so
// the test removes them before a scan that must find them.
void RemoveAddedKeys();
bool AddedKeyPresent(int index);

// Waits until the pass of `page` has begun reading.
void WaitForPassUnderWay(Probe& probe, int page, int bar);

// On page 1 with custom removal chosen. Back, Next, Retry and About during
// the scan change nothing: one scan, its whole list, then the choice page.
// `registryRows`: what a whole scan lists in the registry tab.
void ClicksDuringAScan(Probe& probe, int registryRows);
// On page 1 with custom removal chosen: Esc during the scan asks whether to
// stop; No lets the scan finish.
void EscDuringAScanNotStopped(Probe& probe, int registryRows);
// On page 1 with custom removal chosen: Exit during the scan, Yes: the
// choice page shows what was found so far; the machine is unchanged.
void ExitDuringAScanStopped(Probe& probe, int registryRows, bool (*pestKeyPresent)());
// On page 3 after a whole scan: the close box during the removal, Yes: the
// report says what was done and what was not, and the summary says
// "Stopped: ".
void CloseDuringARemovalStopped(Probe& probe, int addedKeys);
// On page 3 after a whole scan: Exit during the removal, No: the removal
// runs to its end; the summary line counts the report.
void ExitDuringARemovalNotStopped(Probe& probe);

}  // namespace gui
