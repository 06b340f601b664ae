// Fault injection for the simulated machine: make any operation fail with a
// chosen Win32 error, for one path or on the n-th call, so every failure
// branch of the core can be tested.
//
// Kept on the machine instance (never global), so tests stay independent.
// Every failable call of SimPlatform (the table in FailableCalls.h) asks
// Check() first, with its entry and the path of the object it acts on:
//   files and folders   the path argument as given (the first one for moves)
//   INI functions       the file name argument as given
//   registry            the full path of the key acted on, root spelled out:
//                       "HKEY_CURRENT_USER\Software\X" (for the value calls,
//                       the key that holds the value; for open, create and
//                       delete, the key opened, created or deleted)
//   LoadLibraryA        the file name; WinExec the command line
//   others              empty
// A triggered fault makes the operation fail the way Windows reports that
// error: the LONG result for registry calls, otherwise the failure return
// value with the error set for GetLastError.
#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"
#include "platform/sim/FailableCalls.h"

namespace qm::sim {

class FaultRule {
public:
    FaultRule(FailableCall call, DWORD error);
    // Only calls whose path equals this one (ignoring case, "/" as "\").
    FaultRule& ForPath(std::string path);
    // Only the n-th matching call (1-based) instead of every one.
    FaultRule& OnCall(unsigned n);
    // With OnCall: the n-th matching call and every one after it.
    FaultRule& AndAfter();

    FailableCall call() const { return call_; }
    DWORD error() const { return error_; }
    unsigned matched() const { return matched_; }      // calls that matched op and path
    unsigned triggered() const { return triggered_; }  // calls this rule made fail

private:
    friend class Faults;
    bool Applies(FailableCall call, std::string_view path);

    FailableCall call_;
    DWORD error_;
    std::optional<std::string> path_;
    unsigned onCall_ = 0;
    bool andAfter_ = false;
    unsigned matched_ = 0;
    unsigned triggered_ = 0;
};

class Faults {
public:
    // Adds a rule; the reference stays valid until Clear(). A name that is
    // not in the table of failable calls throws std::invalid_argument.
    FaultRule& Fail(FailableCall call, DWORD error);
    FaultRule& Fail(std::string_view callName, DWORD error);
    // The error to fail this call with, if a rule says so. The first rule
    // added that applies wins; every rule counts the calls it matches.
    std::optional<DWORD> Check(FailableCall call, std::string_view path);
    // Calls made so far of an operation, injected or not.
    unsigned Calls(std::string_view callName) const;
    // Calls of an operation that a rule made fail.
    unsigned Triggered(std::string_view callName) const;
    void Clear();

private:
    std::deque<FaultRule> rules_;
    std::array<unsigned, kFailableCallCount> calls_{};
    std::array<unsigned, kFailableCallCount> triggered_{};
};

// The table entry of that name; std::invalid_argument for any other name.
FailableCall RequireFailableCall(std::string_view name);

// Rules written as text, one a line: the call's name, the path ("*" for
// any), the error (a number, 0x... in hex, or a name such as
// ERROR_ACCESS_DENIED), separated by blanks; the path may hold blanks.
//   DeleteFileA   C:\WINDOWS\system32\pest.dll   ERROR_ACCESS_DENIED
// Blank lines and lines starting with '#' or ';' are skipped. A line that is
// not a rule, names no failable call or an unknown error throws
// std::invalid_argument "<source> line N: ...".
void AddFaultRules(Faults& faults, std::string_view text, const std::string& source);

}  // namespace qm::sim
