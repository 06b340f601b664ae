// The text of the cleanup batch file.
#include "engine/CleanupBatch.h"

namespace qm {

namespace {

// In a batch file "%%" stands for one "%"; every other character of a path
// is taken literally between double quotes.
std::string EscapePercent(const std::string& text, int times) {
    std::string escaped;
    for (char c : text) {
        if (c == '%')
            escaped.append(static_cast<size_t>(times), '%');
        else
            escaped += c;
    }
    return escaped;
}

}  // namespace

std::string CleanupBatchText(const std::string& path) {
    const std::string p = EscapePercent(path, 2);
    // Echoed into the second batch file, so doubled once more.
    const std::string echoed = EscapePercent(path, 4);
    // The retry counter is a growing string of x, since the command
    // interpreter of the 9x family has no arithmetic: ten tries make one
    // round, kCleanupBatchTries / 10 rounds give up.
    const std::string round(10, 'x');
    const std::string rounds(static_cast<size_t>(kCleanupBatchTries / 10), 'x');
    const char* lines[] = {
        "@Echo off",
        "echo @Echo off>%0.bat",
        "echo Echo Cleaning Complete...>>%0.bat",
        "echo del %%0 >>%0.bat",
        ":er",
        nullptr,  // del "P"
        nullptr,  // If exist  "P" goto counting
        "del %0",
        // The command interpreter of Windows stops here, its batch file gone;
        // Wine's keeps reading the deleted file and would fall into the
        // retry loop below, so the run ends here whatever the interpreter.
        "exit",
        // Reached only by goto. The counters start empty whatever the
        // environment that started the batch holds.
        ":counting",
        "set QMTRY=",
        "set QMROUND=",
        // Wait about a second, then try again; a restore of the file puts
        // "%0.stop" beside the batch to end it.
        ":wait",
        "If exist \"%0.stop\" goto stopped",
        "set QMTRY=%QMTRY%x",
        nullptr,  // If not "%QMTRY%"=="xxxxxxxxxx" goto pause
        "set QMTRY=",
        "set QMROUND=%QMROUND%x",
        nullptr,  // If "%QMROUND%"=="xxx..." goto giveup
        ":pause",
        "ping -n 2 127.0.0.1 >nul",
        nullptr,  // del "P"
        nullptr,  // If exist  "P" goto wait
        "del %0",
        "exit",
        // Stopped: neither this batch nor the second one deletes anything more.
        ":stopped",
        "del %0.bat",
        "del \"%0.stop\"",
        "del %0",
        "exit",
        // Given up: the second batch file, run once at the next start, tries again.
        ":giveup",
        "echo @Echo off>%0.bat",
        nullptr,  // echo del "P">>%0.bat
        "echo Echo Cleaning Complete...>>%0.bat",
        "echo del %%0 >>%0.bat",
        "del %0",
    };
    const std::string computed[] = {
        "del \"" + p + "\"",
        "If exist  \"" + p + "\" goto counting",
        "If not \"%QMTRY%\"==\"" + round + "\" goto pause",
        "If \"%QMROUND%\"==\"" + rounds + "\" goto giveup",
        "del \"" + p + "\"",
        "If exist  \"" + p + "\" goto wait",
        "echo del \"" + echoed + "\">>%0.bat",
    };
    std::string text;
    size_t next = 0;
    for (const char* line : lines) {
        text += line != nullptr ? std::string(line) : computed[next++];
        text += "\r\n";
    }
    return text;
}

}  // namespace qm
