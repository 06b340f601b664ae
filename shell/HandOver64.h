// The 32-bit program on 64-bit Windows sees only the 32-bit half of the
// machine, so it hands the run over to the 64-bit program beside it
// (Quellmar64.exe, quellmar-cli64.exe) with the same command line. Where
// that program is missing it goes on alone and tells the user once.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace qm {

enum class HandOverOutcome {
    NotNeeded,  // not a 32-bit program on 64-bit Windows
    Started,    // the 64-bit program runs the rest
    Missing,    // no 64-bit program beside this one, or it cannot start
};

struct HandOverResult {
    HandOverOutcome outcome = HandOverOutcome::NotNeeded;
    DWORD exitCode = 0;  // the 64-bit program's, when waited for
};

// programName: the 64-bit program's file name, looked for in this program's
// folder. wait: wait for it to end and take its exit code (the command line
// front end, whose caller reads the code).
HandOverResult HandOverTo64BitProgram(const std::string& programName, bool wait);

// What the user is told when the 64-bit program is missing.
std::string Missing64BitProgramText(const std::string& programName);

// The arguments of a command line: what follows the program's name, with
// the blank before them, as CreateProcess takes them.
std::string ArgumentsOf(const std::string& commandLine);

}  // namespace qm
