// Changes to a .reg file made line by line: the lines left alone keep every
// byte they had (encoding, line breaks, comments, spacing), and new lines
// take the file's encoding and line breaks. Lines are counted from 0 (the
// header), as RegFileOperation counts them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/RegFileText.h"

namespace qm::regfile {

class RegFileEdit {
public:
    // Throws RegFileError when the bytes are not a registry file.
    RegFileEdit(std::string bytes, const CodePage& codePage);

    RegFileFormat format() const { return format_; }
    std::size_t LineCount() const { return lines_.size(); }
    // A line's text, without its line break.
    const std::u16string& Line(std::size_t index) const { return lines_[index].text; }

    // lines: whole lines, each ended by "\r\n" (written with the file's own line break).
    void Remove(std::size_t first, std::size_t last);
    void Replace(std::size_t first, std::size_t last, std::u16string_view lines);
    // A key with its values at the end of the file, after a blank line, as
    // regedit separates keys.
    void AppendSection(std::u16string_view lines);

    bool Changed() const { return changed_; }
    std::string Bytes() const;

private:
    struct FileLine {
        std::size_t begin = 0, end = 0;  // its bytes, line break included
        std::u16string text;
        bool removed = false;
        std::optional<std::u16string> replacement;
    };
    std::string Encode(std::u16string_view lines) const;

    std::string bytes_;
    const CodePage& codePage_;
    int encoding_ = 0;  // a TextEncoding (RegFileCoding.h)
    RegFileFormat format_ = RegFileFormat::Version5;
    std::u16string lineBreak_ = u"\r\n";
    std::vector<FileLine> lines_;
    std::vector<std::u16string> appended_;
    bool changed_ = false;
};

}  // namespace qm::regfile
