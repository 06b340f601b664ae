// 8.3 names: validity, candidates and the aliases kept per folder.
#include "platform/sim/ShortNames.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/sim/DiskPath.h"

namespace qm::sim {

namespace {

// Characters no file name may hold at all.
bool IsForbidden(unsigned char c) {
    return c < 0x20 || std::string_view("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string_view::npos;
}

// Characters a long name may hold but an 8.3 name may not.
bool IsLongOnly(char c) { return std::string_view("+,;=[]").find(c) != std::string_view::npos; }

// The characters of part as they go into a short name.
std::string ShortChars(std::string_view part) {
    std::string out;
    for (char c : part) {
        if (c == ' ' || c == '.' || IsForbidden(static_cast<unsigned char>(c))) continue;
        out += IsLongOnly(c) ? '_' : c;
    }
    return UpperName(out);
}

}  // namespace

bool IsValidShortName(std::string_view name) {
    if (name == "." || name == "..") return true;
    if (name.empty()) return false;
    const auto dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (dot != std::string_view::npos && ext.empty()) return false;
    for (std::string_view part : {base, ext})
        for (char c : part)
            if (c == ' ' || c == '.' || IsLongOnly(c) || IsForbidden(static_cast<unsigned char>(c)))
                return false;
    return true;
}

std::string ShortNameCandidate(std::string_view longName, unsigned n) {
    // Leading dots do not start an extension (".profile" has none).
    std::string_view rest = longName;
    while (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    const auto dot = rest.rfind('.');
    std::string base = ShortChars(rest.substr(0, dot));
    std::string ext = dot == std::string_view::npos ? std::string() : ShortChars(rest.substr(dot + 1));
    if (base.empty()) base = "_";
    if (ext.size() > 3) ext.resize(3);

    const std::string suffix = "~" + std::to_string(n);
    const std::size_t keep = suffix.size() >= 8 ? 0 : 8 - suffix.size();
    std::string alias = base.substr(0, std::min(base.size(), keep)) + suffix;
    if (!ext.empty()) alias += "." + ext;
    return alias;
}

std::string HashedShortNameCandidate(std::string_view longName, unsigned n) {
    const std::string first = ShortNameCandidate(longName, 1);
    const std::size_t tilde = first.find('~');
    const std::size_t dot = first.find('.');
    // A 16-bit hash of the upper-case long name (FNV-1a, folded).
    std::uint32_t hash = 2166136261u;
    for (char c : UpperName(longName)) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string base = first.substr(0, std::min<std::size_t>(tilde, 2));
    for (int shift = 12; shift >= 0; shift -= 4) base += kHex[((hash ^ (hash >> 16)) >> shift) & 0xF];
    const std::string suffix = "~" + std::to_string(n);
    base.resize(std::min(base.size(), 8 - std::min<std::size_t>(suffix.size(), 8)));
    return base + suffix + (dot == std::string::npos ? std::string() : first.substr(dot));
}

std::string FolderShortNames::AliasOf(std::string_view longName,
                                      const std::function<bool(std::string_view)>& nameExists) {
    if (IsValidShortName(longName)) return {};
    const std::string key = UpperName(longName);
    if (auto it = aliases_.find(key); it != aliases_.end()) return it->second;
    for (unsigned n = 1;; ++n) {
        std::string candidate = n <= 4 ? ShortNameCandidate(longName, n) : HashedShortNameCandidate(longName, n - 4);
        if (owners_.count(UpperName(candidate)) != 0 || nameExists(candidate)) continue;
        owners_.emplace(UpperName(candidate), key);
        aliases_.emplace(key, candidate);
        return candidate;
    }
}

const std::string* FolderShortNames::Known(std::string_view longName) const {
    auto it = aliases_.find(UpperName(longName));
    return it == aliases_.end() ? nullptr : &it->second;
}

std::string FolderShortNames::LongNameOf(std::string_view alias) const {
    auto it = owners_.find(UpperName(alias));
    return it == owners_.end() ? std::string() : it->second;
}

}  // namespace qm::sim
