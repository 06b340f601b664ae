// Terminals on Windows: a console, not a pipe or a file.
#include "tools/cli/Terminal.h"

#include <io.h>
#include <stdio.h>

namespace qm::cli {

bool StandardInputIsTerminal() { return ::_isatty(::_fileno(stdin)) != 0; }
bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

}  // namespace qm::cli
