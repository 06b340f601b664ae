// registry.reg brought up to date with what a run changed, line by line: the
// lines of keys and values that did not change stay byte for byte (and so
// do the file's format, encoding, line breaks and comments); the lines of
// removed keys and values go, with the comments right above them; changed
// values are rewritten where they stand; new keys and values are added at the
// end, in the file's format.
#pragma once

#include <optional>
#include <string>

#include "platform/sim/RegistryDiff.h"

namespace qm::sim {

// original: the file as the machine was opened from it (nothing: there was
// none, and a new file is a Version 5 one). Gives the new bytes, or nothing
// when the file needs no change. Throws RegFileError for an original that is
// not a registry file.
std::optional<std::string> UpdatedRegFile(const std::optional<std::string>& original, const RegistryStore& now,
                                           const RegistryChanges& changes);

}  // namespace qm::sim
