// The wildcard patterns of FindFirstFileA, with their DOS rules.
#pragma once

#include <string_view>

namespace qm::sim {

// Whether a name matches a pattern, without regard to case. "*" stands for any
// run of characters and "?" for one; "*.*" matches every name, even one
// without a dot; a "?" at the end of the name or before its dot may stand for
// nothing ("ab?.txt" matches "ab.txt"); ".*" at the end also matches a name
// without an extension; a final "." matches only names without a dot ("*.").
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace qm::sim
