// The command-line front end: the wizard's own flow without windows, for
// unattended use and for trying scripts. It prints the script's description,
// the items found per list and the report.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace qm::cli {

// Exit codes.
enum ExitCode : int {
    kNothingFound = 0,
    kCleaned = 1,
    kCleanedWithErrors = 2,
    kBadScript = 3,       // missing, unreadable or corrupt script: the program halted
    kFoundScanOnly = 10,  // items were found and left alone: --scan, or every one kept
    kUsage = 64,          // also: the input ended before every --custom question was answered
    kRestartNeeded = 3010,  // cleaned; files wait for the next start (ERROR_SUCCESS_REBOOT_REQUIRED)
};

struct CliOptions {
    bool custom = false;    // ask for every item whether to remove it
    bool scanOnly = false;  // list what is found, change nothing
    bool noBackup = false;  // the removal keeps no backup
    std::string script;     // the script's path as the program sees it
    std::string reportFile;  // --report: the report as text, here
    std::string jsonFile;    // --json: the report as JSON, here
    // Set by the program from its standard handles: a prompt's answer is
    // echoed when typed elsewhere than on a terminal, and a long pass shows
    // its progress on `progress` (standard error, when that is a terminal).
    bool inputIsTerminal = false;
    std::ostream* progress = nullptr;
    // Writes the report files; by default through the file functions.
    std::function<bool(const std::string& path, const std::string& contents, std::string& error)> writeOutput;
    // The backups instead of a script: list them, restore one ("latest" for
    // the newest) or delete one.
    bool listBackups = false;
    std::string restore;
    std::string deleteBackup;
    bool BackupCommand() const { return listBackups || !restore.empty() || !deleteBackup.empty(); }
};

// Parses the arguments after the program name; the machine folder option is
// taken out by the caller. Gives kUsage and a message for bad arguments.
int ParseArguments(const std::vector<std::string>& arguments, CliOptions& options, std::string& message);

// Runs the wizard's flow on the current platform. `messages` gives the texts
// of the message boxes shown so far (printed as they appear).
int RunCli(const CliOptions& options, std::istream& in, std::ostream& out,
           const std::function<std::vector<std::string>()>& messages);

// --list-backups, --restore, --delete-backup: 0 done, 2 done with errors or
// with changes left in the backup, 64 no such backup.
int RunBackupCommand(const CliOptions& options, std::ostream& out);

// Writes the report files the options ask for (--report, --json), each from
// contents(asJson); a line for each that cannot be written. False then.
bool WriteReportFiles(const CliOptions& options, const std::function<std::string(bool asJson)>& contents,
                      std::ostream& out);

std::string Usage();

}  // namespace qm::cli
