// Terminals on Linux.
#include "tools/cli/Terminal.h"

#include <unistd.h>

namespace qm::cli {

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }
bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace qm::cli
