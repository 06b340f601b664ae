// The six lists a pass fills (five item lists and the report), kept in
// memory: for the tests, the benchmarks and anything else that runs passes
// without a window.
#pragma once

#include "engine/MemoryItemList.h"
#include "engine/PassRunner.h"

namespace qm {

struct MemoryPassLists {
    MemoryItemList registry, disk, ini, process, server, report;

    PassLists Lists() { return {&registry, &disk, &ini, &process, &server, &report}; }
    // What the wizard clears before a scan pass: the five item lists.
    void ClearItemLists() {
        for (MemoryItemList* list : {&registry, &disk, &ini, &process, &server}) list->Clear();
    }
};

}  // namespace qm
