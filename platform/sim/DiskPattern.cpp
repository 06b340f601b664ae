// Wildcard matching with the DOS rules Windows keeps for FindFirstFileA.
#include "platform/sim/DiskPattern.h"

namespace qm::sim {

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool OnlyWildcards(std::string_view pattern) {
    return pattern.find_first_not_of("*?") == std::string_view::npos;
}

bool Match(std::string_view pattern, std::string_view name) {
    while (!pattern.empty()) {
        const char p = pattern.front();
        if (p == '*') {
            pattern.remove_prefix(1);
            if (pattern.empty()) return true;
            for (std::size_t skip = 0; skip <= name.size(); ++skip)
                if (Match(pattern, name.substr(skip))) return true;
            return false;
        }
        if (p == '?') {
            // One character, or none at the end of the name or before a dot.
            if (!name.empty() && Match(pattern.substr(1), name.substr(1))) return true;
            if (name.empty() || name.front() == '.') return Match(pattern.substr(1), name);
            return false;
        }
        if (p == '.' && name.empty()) return OnlyWildcards(pattern.substr(1));  // "x.*" matches "x"
        if (name.empty() || Upper(p) != Upper(name.front())) return false;
        pattern.remove_prefix(1);
        name.remove_prefix(1);
    }
    return name.empty();
}

}  // namespace

bool MatchesPattern(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return true;
    if (!pattern.empty() && pattern.back() == '.') {
        if (name.find('.') != std::string_view::npos) return false;
        pattern.remove_suffix(1);
    }
    return Match(pattern, name);
}

}  // namespace qm::sim
