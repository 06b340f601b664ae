// Line-by-line changes to a .reg file.
#include "regfile/RegFileEdit.h"

#include "regfile/RegFileCoding.h"

namespace qm::regfile {

namespace {

bool IsBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

}  // namespace

RegFileEdit::RegFileEdit(std::string bytes, const CodePage& codePage) : bytes_(std::move(bytes)), codePage_(codePage) {
    ParseRegFile(bytes_, codePage_);  // refuses what is not a registry file
    const TextEncoding encoding = DecodeText(bytes_, codePage_).encoding;
    encoding_ = static_cast<int>(encoding);

    // The lines split where the reader splits them: at "\r\n", "\n" or "\r".
    const std::size_t unit = encoding == TextEncoding::Utf16 ? 2 : 1;
    std::size_t at = encoding == TextEncoding::Utf16 ? 2 : 0;
    auto unitAt = [&](std::size_t i) -> char16_t {
        if (unit == 1) return static_cast<unsigned char>(bytes_[i]);
        return static_cast<char16_t>(static_cast<unsigned char>(bytes_[i]) |
                                     (static_cast<unsigned char>(bytes_[i + 1]) << 8));
    };
    const std::size_t usable = bytes_.size() - (bytes_.size() - at) % unit;  // an odd last byte stays with the last line
    bool breakSeen = false;
    for (bool more = true; more;) {
        FileLine line;
        line.begin = lines_.empty() ? 0 : at;  // the first line holds the byte-order mark
        std::size_t i = at;
        while (i < usable && !IsBreak(unitAt(i))) i += unit;
        const std::string_view content(bytes_.data() + at, i - at);
        more = i < usable;
        if (more) {
            const char16_t first = unitAt(i);
            const std::size_t breakAt = i;
            i += unit;
            if (first == u'\r' && i < usable && unitAt(i) == u'\n') i += unit;
            if (!breakSeen) lineBreak_ = i - breakAt == 2 * unit ? u"\r\n" : std::u16string(1, first);
            breakSeen = true;
        }
        line.end = more ? i : bytes_.size();
        switch (encoding) {
            case TextEncoding::Utf16:
                line.text = DecodeText("\xFF\xFE" + std::string(content), codePage_).text;
                break;
            case TextEncoding::Utf8:
                line.text = FromUtf8(lines_.empty() && content.starts_with("\xEF\xBB\xBF") ? content.substr(3) : content)
                                .value_or(std::u16string());
                break;
            case TextEncoding::CodePage: line.text = codePage_.toWide(content); break;
        }
        lines_.push_back(std::move(line));
        at = i;
    }
    const std::u16string header = lines_.front().text.substr(0, 8);
    format_ = header == u"REGEDIT4" ? RegFileFormat::Regedit4 : RegFileFormat::Version5;
}

void RegFileEdit::Remove(std::size_t first, std::size_t last) {
    for (std::size_t i = first; i <= last && i < lines_.size(); ++i) {
        lines_[i].removed = true;
        lines_[i].replacement.reset();
    }
    changed_ = true;
}

void RegFileEdit::Replace(std::size_t first, std::size_t last, std::u16string_view lines) {
    Remove(first, last);
    lines_[first].removed = false;
    lines_[first].replacement = std::u16string(lines);
}

void RegFileEdit::AppendSection(std::u16string_view lines) {
    appended_.emplace_back(lines);
    changed_ = true;
}

std::string RegFileEdit::Encode(std::u16string_view lines) const {
    std::u16string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == u'\r' && i + 1 < lines.size() && lines[i + 1] == u'\n') {
            text += lineBreak_;
            ++i;
        } else {
            text += lines[i];
        }
    }
    return EncodeText(text, static_cast<TextEncoding>(encoding_), codePage_);
}

std::string RegFileEdit::Bytes() const {
    if (!changed_) return bytes_;
    std::string out;
    out.reserve(bytes_.size());
    for (const FileLine& line : lines_) {
        if (line.replacement) {
            out += Encode(*line.replacement);
        } else if (!line.removed) {
            out.append(bytes_, line.begin, line.end - line.begin);
        }
    }
    if (!appended_.empty()) {
        // The new keys follow a blank line, as each key of a regedit file does.
        const std::string lineBreak = Encode(u"\r\n");
        if (!out.ends_with(lineBreak)) out += lineBreak;
        if (!out.ends_with(lineBreak + lineBreak)) out += lineBreak;
        for (const auto& section : appended_) out += Encode(section) + lineBreak;
    }
    return out;
}

}  // namespace qm::regfile
