// The cleanup batch file's text: its fixed lines, the escaping of "%" in the
// path, and its control flow, followed by a small model of the command
// interpreter (labels, goto, if, set, del, echo into the second batch file).
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/CleanupBatch.h"

namespace qm::test {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "the last line is not ended by CR LF";
    for (const auto& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    return lines;
}

std::string Doubled(const std::string& text, int times) {
    std::string result;
    for (char c : text) result += c == '%' ? std::string(static_cast<size_t>(times), '%') : std::string(1, c);
    return result;
}

// What one run of the batch file did.
struct BatchRun {
    int tries = 0;   // executions of del "P"
    int pauses = 0;  // executions of the pause between tries
    std::vector<std::string> secondBatch;  // lines written to %0.bat, as written
    bool secondBatchDeleted = false;
    std::string endedBy;                   // the last line executed
};

// Runs the batch text the way the command interpreter does. The file to
// delete goes away at try `deletedAt` (0: never). `keepsReadingWhenDeleted`
// models Wine's interpreter, which goes on with the next line after the
// batch file has deleted itself; Windows' stops there.
class BatchModel {
public:
    BatchModel(const std::string& text, std::string path, int deletedAt, bool keepsReadingWhenDeleted)
        : lines_(Lines(text)), path_(std::move(path)), deletedAt_(deletedAt), keepsReading_(keepsReadingWhenDeleted) {}

    BatchRun Run() {
        BatchRun run;
        bool exists = true;
        for (size_t at = 0, steps = 0; at < lines_.size(); ++steps) {
            if (steps > 100000) {
                ADD_FAILURE() << "the batch never ends";
                break;
            }
            std::string line = lines_[at++];
            if (!line.empty() && line[0] == '@') line.erase(0, 1);
            run.endedBy = line;
            if (line.empty() || line[0] == ':') continue;
            const std::string command = Expand(line);
            if (command == "Echo off") {
                continue;
            } else if (StartsWith(command, "goto ")) {
                at = Label(command.substr(5));
            } else if (StartsWith(command, "If ")) {
                const size_t jump = command.rfind(" goto ");
                if (jump == std::string::npos) {
                    ADD_FAILURE() << "unexpected if: " << line;
                    break;
                }
                if (Condition(command.substr(3, jump - 3), exists)) at = Label(command.substr(jump + 6));
            } else if (StartsWith(command, "set ")) {
                const size_t equals = command.find('=');
                variables_[command.substr(4, equals - 4)] = command.substr(equals + 1);
            } else if (command == "del \"" + path_ + "\"") {
                if (++run.tries == deletedAt_) exists = false;
                if (run.tries == stopAt_) stopped_ = true;
            } else if (command == "del C:\\WINDOWS\\cleanup.bat") {
                if (!keepsReading_) break;
            } else if (command == "del C:\\WINDOWS\\cleanup.bat.bat") {
                run.secondBatch.clear();
                run.secondBatchDeleted = true;
            } else if (command == "del \"C:\\WINDOWS\\cleanup.bat.stop\"") {
                stopped_ = false;
            } else if (command == "exit") {
                break;
            } else if (StartsWith(command, "ping ")) {
                ++run.pauses;
            } else if (StartsWith(command, "echo ")) {
                const size_t append = command.find(">>C:\\WINDOWS\\cleanup.bat.bat");
                const size_t create = command.find(">C:\\WINDOWS\\cleanup.bat.bat");
                if (append != std::string::npos) {
                    run.secondBatch.push_back(command.substr(5, append - 5));
                } else if (create != std::string::npos) {
                    run.secondBatch.assign(1, command.substr(5, create - 5));
                } else {
                    ADD_FAILURE() << "echo to where? " << line;
                }
            } else {
                ADD_FAILURE() << "unexpected command: " << line;
                break;
            }
        }
        return run;
    }

private:
    static bool StartsWith(const std::string& text, const std::string& start) {
        return text.compare(0, start.size(), start) == 0;
    }
    // "%%" is one "%", "%0" the batch file as started, "%NAME%" a variable.
    std::string Expand(const std::string& line) {
        std::string result;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '%' || i + 1 >= line.size()) {
                result += line[i];
            } else if (line[i + 1] == '%') {
                result += '%';
                ++i;
            } else if (line[i + 1] == '0') {
                result += "C:\\WINDOWS\\cleanup.bat";
                ++i;
            } else {
                const size_t close = line.find('%', i + 1);
                if (close == std::string::npos) {
                    result += line.substr(i);
                    break;
                }
                result += variables_[line.substr(i + 1, close - i - 1)];
                i = close;
            }
        }
        return result;
    }
    size_t Label(const std::string& name) {
        for (size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i] == ":" + name) return i + 1;
        ADD_FAILURE() << "goto a missing label " << name;
        return lines_.size();
    }
    bool Condition(const std::string& condition, bool exists) {
        if (condition == "exist \"C:\\WINDOWS\\cleanup.bat.stop\"") return stopped_;
        if (StartsWith(condition, "exist  \"")) {
            EXPECT_EQ(condition, "exist  \"" + path_ + "\"");
            return exists;
        }
        const bool negated = StartsWith(condition, "not ");
        const std::string comparison = negated ? condition.substr(4) : condition;
        const size_t equals = comparison.find("==");
        return (comparison.substr(0, equals) == comparison.substr(equals + 2)) != negated;
    }

public:
    // The environment the batch starts with.
    void SetVariable(const std::string& name, const std::string& value) { variables_[name] = value; }
    // A restore puts the stop file beside the batch after this try.
    void StopAfterTry(int tryNumber) { stopAt_ = tryNumber; }

private:
    std::vector<std::string> lines_;
    std::string path_;
    int deletedAt_;
    bool keepsReading_;
    int stopAt_ = 0;
    bool stopped_ = false;
    std::map<std::string, std::string> variables_;
};

}  // namespace

TEST(CleanupBatchText, BeginsWithTheFixedLinesAndThePathInQuotesWithPercentDoubled) {
    for (const std::string& path : {std::string("C:\\Program Files\\Pest\\pest.exe"),
                                   std::string("C:\\100% pure & (simple)\\%windir%.exe")}) {
        SCOPED_TRACE(path);
        const std::vector<std::string> lines = Lines(CleanupBatchText(path));
        ASSERT_GE(lines.size(), 9u);
        const std::string quoted = "\"" + Doubled(path, 2) + "\"";
        EXPECT_EQ(lines[0], "@Echo off");
        EXPECT_EQ(lines[1], "echo @Echo off>%0.bat");
        EXPECT_EQ(lines[2], "echo Echo Cleaning Complete...>>%0.bat");
        EXPECT_EQ(lines[3], "echo del %%0 >>%0.bat");
        EXPECT_EQ(lines[4], ":er");
        EXPECT_EQ(lines[5], "del " + quoted);
        EXPECT_EQ(lines[6].rfind("If exist  " + quoted + " goto ", 0), 0u) << lines[6];
        EXPECT_EQ(lines[7], "del %0");
        // Nothing after the batch file deleted itself may run, for an
        // interpreter that goes on reading the deleted file.
        EXPECT_EQ(lines[8], "exit");
        EXPECT_EQ(lines.back(), "del %0");
    }
}

TEST(CleanupBatchText, DeletesTheFileAsSoonAsItCanThenDeletesItselfAndStops) {
    const std::string path = "C:\\Pest 50%\\%PATH%.exe";
    const std::vector<std::string> secondBatch = {"@Echo off", "Echo Cleaning Complete...", "del %0 "};
    for (const bool wine : {false, true}) {
        for (const int deletedAt : {1, 2, 12, 25}) {
            SCOPED_TRACE(std::string(wine ? "Wine" : "Windows") + ", gone at try " + std::to_string(deletedAt));
            const BatchRun run = BatchModel(CleanupBatchText(path), path, deletedAt, wine).Run();
            EXPECT_EQ(run.tries, deletedAt);
            EXPECT_EQ(run.pauses, deletedAt - 1);  // no pause before the first try
            EXPECT_EQ(run.secondBatch, secondBatch);
            EXPECT_EQ(run.endedBy, wine ? "exit" : "del %0");
        }
    }
}

TEST(CleanupBatchText, CountersLeftInTheEnvironmentDoNotKeepItFromGivingUp) {
    const std::string path = "C:\\Pest\\pest.exe";
    BatchModel model(CleanupBatchText(path), path, 0, false);
    model.SetVariable("QMTRY", "xxxxxxxxxxxxxxx");
    model.SetVariable("QMROUND", std::string(kCleanupBatchTries, 'x'));
    const BatchRun run = model.Run();
    EXPECT_EQ(run.tries, kCleanupBatchTries);
    EXPECT_EQ(run.endedBy, "del %0");
}

TEST(CleanupBatchText, AStopFileEndsTheRetriesAndRemovesTheSecondBatch) {
    const std::string path = "C:\\Pest\\pest.exe";
    for (const bool wine : {false, true}) {
        SCOPED_TRACE(wine ? "Wine" : "Windows");
        BatchModel model(CleanupBatchText(path), path, 0, wine);
        model.StopAfterTry(3);
        const BatchRun run = model.Run();
        EXPECT_EQ(run.tries, 3);
        EXPECT_TRUE(run.secondBatchDeleted);
        EXPECT_TRUE(run.secondBatch.empty()) << "nothing left for the next start";
        EXPECT_EQ(run.endedBy, wine ? "exit" : "del %0");
    }
    EXPECT_EQ(CleanupBatchStopFile("C:\\WINDOWS\\cleanup.bat"), "C:\\WINDOWS\\cleanup.bat.stop");
}

TEST(CleanupBatchText, GivesUpAfterItsTriesAndLeavesTheDeletionToTheSecondBatch) {
    const std::string path = "C:\\Pest 50%\\pest.exe";
    for (const bool wine : {false, true}) {
        SCOPED_TRACE(wine ? "Wine" : "Windows");
        const BatchRun run = BatchModel(CleanupBatchText(path), path, 0, wine).Run();
        EXPECT_EQ(run.tries, kCleanupBatchTries);
        EXPECT_EQ(run.pauses, kCleanupBatchTries - 1);
        // The second batch runs at the next start and deletes the file then:
        // its own "%%" is one "%" again.
        EXPECT_EQ(run.secondBatch, (std::vector<std::string>{"@Echo off", "del \"" + Doubled(path, 2) + "\"",
                                                             "Echo Cleaning Complete...", "del %0 "}));
        EXPECT_EQ(run.endedBy, "del %0");
    }
}

}  // namespace qm::test
