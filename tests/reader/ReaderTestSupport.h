// What the reader's tests share: a fixture that writes a script into the
// scratch folder and reads it, and a log that records every event the reader
// raises as one line of text.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reader/Quarn_ReadSpecialFile.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

// Lines look like "AddRegValue(HKCU\Run|evil|0x1|6162|2|0)": strings as they
// are (zero bytes and other control bytes as \xNN), kinds, types and
// operations in hex, data blocks as hex of their counted bytes. A data block
// that is not the reader's own buffer, or not zero behind its count, adds a
// "!" mark to its line.
class EventLog {
public:
    void Attach(TReadSpecialFile& reader);
    const std::vector<std::string>& all() const { return lines_; }
    // Without OnProgress and OnProgressMax.
    std::vector<std::string> items() const;
    void clear() { lines_.clear(); }

private:
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    std::vector<std::string> lines_;
};

std::string Printable(std::string_view text);

class ReaderContract : public Contract {
protected:
    // Writes the bytes as the script "test.malware" and gives its path.
    std::string Script(std::string_view bytes, std::string_view name = "test.malware");
    // A reader of a new script of these bytes with every event logged into log().
    std::unique_ptr<TReadSpecialFile> Reader(std::string_view bytes);
    // Reads the bytes whole (or one record) and gives every logged line.
    std::vector<std::string> ReadAll(std::string_view bytes, bool oneRecordOnly = false);
    // The same without the progress lines.
    std::vector<std::string> ReadItems(std::string_view bytes, bool oneRecordOnly = false);

    EventLog& log() { return log_; }

private:
    EventLog log_;
    int scripts_ = 0;
};

}  // namespace qm::test
