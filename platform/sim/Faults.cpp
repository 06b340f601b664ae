// Fault injection rules of the simulated machine.
#include "platform/sim/Faults.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "platform/sim/SamePath.h"

namespace qm::sim {

std::optional<FailableCall> FailableCallNamed(std::string_view name) {
    const auto* found = std::find(std::begin(kFailableCallNames), std::end(kFailableCallNames), name);
    if (found == std::end(kFailableCallNames)) return std::nullopt;
    return static_cast<FailableCall>(found - std::begin(kFailableCallNames));
}

FailableCall RequireFailableCall(std::string_view name) {
    if (auto call = FailableCallNamed(name)) return *call;
    throw std::invalid_argument("no failable call is named \"" + std::string(name) +
                                "\" (names are Windows' own, such as DeleteFileA)");
}

FaultRule::FaultRule(FailableCall call, DWORD error) : call_(call), error_(error) {}

FaultRule& FaultRule::ForPath(std::string path) {
    path_ = std::move(path);
    return *this;
}

FaultRule& FaultRule::OnCall(unsigned n) {
    onCall_ = n;
    return *this;
}

FaultRule& FaultRule::AndAfter() {
    andAfter_ = true;
    return *this;
}

bool FaultRule::Applies(FailableCall call, std::string_view path) {
    if (call != call_) return false;
    if (path_ && !SamePath(*path_, path)) return false;
    ++matched_;
    const bool fires = onCall_ == 0 || matched_ == onCall_ || (andAfter_ && matched_ > onCall_);
    if (fires) ++triggered_;
    return fires;
}

FaultRule& Faults::Fail(FailableCall call, DWORD error) { return rules_.emplace_back(call, error); }

FaultRule& Faults::Fail(std::string_view callName, DWORD error) {
    return Fail(RequireFailableCall(callName), error);
}

std::optional<DWORD> Faults::Check(FailableCall call, std::string_view path) {
    const auto index = static_cast<std::size_t>(call);
    ++calls_[index];
    std::optional<DWORD> result;
    for (FaultRule& rule : rules_) {
        // Every rule sees the call, so OnCall counts stay true even when an
        // earlier rule already decided it.
        if (rule.Applies(call, path) && !result) result = rule.error();
    }
    if (result) ++triggered_[index];
    return result;
}

unsigned Faults::Calls(std::string_view callName) const {
    return calls_[static_cast<std::size_t>(RequireFailableCall(callName))];
}

unsigned Faults::Triggered(std::string_view callName) const {
    return triggered_[static_cast<std::size_t>(RequireFailableCall(callName))];
}

namespace {

struct ErrorName {
    std::string_view name;
    DWORD code;
};
constexpr ErrorName kErrorNames[] = {
    {"ERROR_INVALID_FUNCTION", 1},       {"ERROR_FILE_NOT_FOUND", 2},        {"ERROR_PATH_NOT_FOUND", 3},
    {"ERROR_ACCESS_DENIED", 5},          {"ERROR_INVALID_HANDLE", 6},        {"ERROR_NOT_ENOUGH_MEMORY", 8},
    {"ERROR_NO_MORE_FILES", 18},         {"ERROR_WRITE_PROTECT", 19},        {"ERROR_NOT_READY", 21},
    {"ERROR_WRITE_FAULT", 29},           {"ERROR_READ_FAULT", 30},           {"ERROR_SHARING_VIOLATION", 32},
    {"ERROR_LOCK_VIOLATION", 33},        {"ERROR_HANDLE_EOF", 38},           {"ERROR_BAD_NETPATH", 53},
    {"ERROR_FILE_EXISTS", 80},           {"ERROR_INVALID_PARAMETER", 87},    {"ERROR_DISK_FULL", 112},
    {"ERROR_CALL_NOT_IMPLEMENTED", 120}, {"ERROR_INSUFFICIENT_BUFFER", 122}, {"ERROR_INVALID_NAME", 123},
    {"ERROR_MOD_NOT_FOUND", 126},        {"ERROR_PROC_NOT_FOUND", 127},      {"ERROR_DIR_NOT_EMPTY", 145},
    {"ERROR_BAD_PATHNAME", 161},         {"ERROR_ALREADY_EXISTS", 183},      {"ERROR_FILENAME_EXCED_RANGE", 206},
    {"ERROR_MORE_DATA", 234},            {"ERROR_NO_MORE_ITEMS", 259},       {"ERROR_DIRECTORY", 267},
    {"ERROR_PARTIAL_COPY", 299},         {"ERROR_NOACCESS", 998},            {"ERROR_BADKEY", 1010},
    {"ERROR_CANTOPEN", 1011},            {"ERROR_CANTREAD", 1012},           {"ERROR_CANTWRITE", 1013},
    {"ERROR_REGISTRY_CORRUPT", 1015},    {"ERROR_KEY_DELETED", 1018},        {"ERROR_DLL_INIT_FAILED", 1114},
    {"ERROR_NOT_FOUND", 1168},           {"ERROR_SYMLINK_CLASS_DISABLED", 1463},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<DWORD> ErrorCode(std::string_view text) {
    for (const auto& known : kErrorNames)
        if (known.name == text) return known.code;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    if (text.empty() || text.size() > (hex ? 8u : 10u)) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9'             ? c - '0'
                          : hex && c >= 'a' && c <= 'f'   ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F'   ? c - 'A' + 10
                                                          : -1;
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<DWORD>(value);
}

}  // namespace

void AddFaultRules(Faults& faults, std::string_view text, const std::string& source) {
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const std::string where = source + " line " + std::to_string(number) + ": ";
        std::size_t nameEnd = 0;
        while (nameEnd < line.size() && !IsBlank(line[nameEnd])) ++nameEnd;
        std::size_t errorStart = line.size();
        while (errorStart > 0 && !IsBlank(line[errorStart - 1])) --errorStart;
        const std::string_view path = errorStart > nameEnd ? Trim(line.substr(nameEnd, errorStart - nameEnd)) : "";
        if (path.empty())
            throw std::invalid_argument(where + "expected a call, a path (* for any) and an error, as in "
                                                "\"DeleteFileA C:\\pest.exe ERROR_ACCESS_DENIED\"");
        const auto call = FailableCallNamed(line.substr(0, nameEnd));
        if (!call)
            throw std::invalid_argument(where + "no failable call is named \"" + std::string(line.substr(0, nameEnd)) +
                                        "\" (names are Windows' own, such as DeleteFileA)");
        const auto error = ErrorCode(line.substr(errorStart));
        if (!error)
            throw std::invalid_argument(where + "unknown error \"" + std::string(line.substr(errorStart)) +
                                        "\" (a number, or a name such as ERROR_ACCESS_DENIED)");
        FaultRule& rule = faults.Fail(*call, *error);
        if (path != "*") rule.ForPath(std::string(path));
    }
}

void Faults::Clear() {
    rules_.clear();
    calls_.fill(0);
    triggered_.fill(0);
}

}  // namespace qm::sim
