// Whether a standard handle of the command-line front end is a terminal:
// prompts echo their answers when it is not, and progress is shown only on
// one. One file per system, chosen by the build.
#pragma once

namespace qm::cli {

bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();

}  // namespace qm::cli
