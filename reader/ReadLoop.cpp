// The read loop: trailer, magic, records one after the other, progress, and
// the end test that tells a whole script from one that stopped early.
#include <stdexcept>

#include "reader/Quarn_ReadSpecialFile.h"
#include "reader/RaiseEvent.h"

namespace qm {

namespace {

void (*g_processMessages)() = nullptr;

void ProcessMessages() {
    if (g_processMessages != nullptr) g_processMessages();
}

// Marks the reader busy for the length of one read.
class ReadingFlag {
public:
    explicit ReadingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ReadingFlag() { flag_ = false; }
    ReadingFlag(const ReadingFlag&) = delete;
    ReadingFlag& operator=(const ReadingFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

void SetProcessMessagesProc(void (*proc)()) { g_processMessages = proc; }

void TReadSpecialFile::Read(bool OneRecordOnly) {
    // A handler reading again would move the file under the running loop.
    if (reading_) throw std::logic_error("Read called from an event of the same read");
    ReadingFlag busy(reading_);
    count_ = 0;
    bool badFile = false;
    try {
        const Trailer trailer = ReadTrailer();
        const std::uint32_t size = file_.Size();
        trailerStart_ = size - 8;
        // The magic and the trailer must both fit behind RecordStart; else the
        // trailer points nowhere and the file is not a script.
        const bool inRange = trailer.recordStart <= trailerStart_ && trailerStart_ - trailer.recordStart >= 8;
        if (inRange) file_.Seek(trailer.recordStart);

        RaiseEvent(OnProgressMax, this, static_cast<std::int32_t>(size));
        RaiseEvent(OnProgress, this, 0);
        if (inRange) RaiseEvent(OnProgress, this, static_cast<std::int32_t>(file_.Position()));

        FStopRequested = false;
        FStringTable.clear();

        if (!inRange || !CheckMagic()) {
            badFile = true;
            RaiseError(this, "Exception BAD FILE", 0);
            return;
        }

        while (ReadRecord()) {
            RaiseEvent(OnProgress, this, static_cast<std::int32_t>(file_.Position()));
            ++count_;
            if (FProcessMessages) ProcessMessages();
            if (FStopRequested || OneRecordOnly) break;
        }
    } catch (const std::exception& error) {
        RaiseError(this, std::string("Exception ") + error.what(), 0);
    } catch (...) {
        RaiseError(this, "Exception unknown exception", 0);
    }
    // A bad file has no end test, even when the handler of its error threw.
    if (badFile) return;
    EndTest(OneRecordOnly);
}

// The whole script was read exactly when the position reached the file size.
// A size that can no longer be read counts as not at the end.
void TReadSpecialFile::EndTest(bool oneRecordOnly) {
    bool atEnd = false;
    try {
        atEnd = file_.Position() == file_.Size();
    } catch (const EInOutError&) {
        atEnd = false;
    }
    if (atEnd)
        RaiseEvent(OnFinished, this);
    else if (!oneRecordOnly)
        RaiseError(this, "Force Close", count_);
}

}  // namespace qm
