// The command-line program quellmar-script, as a function so that tests can
// run it in the same process.
#pragma once

#include <ostream>
#include <span>
#include <string>

namespace qm::script {

// Exit codes of quellmar-script.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSourceError = 1;  // the source has a fault
inline constexpr int kExitUsage = 2;        // unknown command or missing argument
inline constexpr int kExitIoError = 3;      // a file could not be read or written

// args: the arguments after the program name. Messages go to err, a dump
// without -o and the help text go to out.
int RunScriptTool(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace qm::script
