// Parsing, look-up and in-place editing of an INI file's text.
#include "platform/sim/ProfileText.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/CodePage.h"

namespace qm::sim {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AnsiUpper(a[i]) != AnsiUpper(b[i])) return false;
    return true;
}

// Copies at most size - 1 characters and the zero.
DWORD CopyText(std::string_view text, char* buffer, DWORD size) {
    if (size == 0) return 0;
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Names each ended by a zero, the list by a second zero; cut to size - 2
// characters and two zeros when the whole list and its final zero do not
// leave a spare character.
DWORD CopyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
    if (size == 0) return 0;
    std::string flat;
    for (const auto& name : names) {
        flat += name;
        flat += '\0';
    }
    if (flat.size() + 2 <= size) {
        std::memcpy(buffer, flat.data(), flat.size());
        buffer[flat.size()] = '\0';
        return static_cast<DWORD>(flat.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, flat.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

std::string DefaultText(const char* defaultText) {
    std::string text = defaultText ? defaultText : "";
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

bool IsProfileBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view TrimProfileBlanks(std::string_view text) {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view UnquoteProfileValue(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

ProfileText::ProfileText(std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        std::size_t next = end;
        if (next < bytes.size()) {
            if (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n')
                next += 2;
            else
                next += 1;
        }
        lines_.push_back(Parse(std::string(bytes.substr(start, end - start)),
                               std::string(bytes.substr(end, next - end))));
        start = next;
    }
}

ProfileText::Line ProfileText::Parse(std::string text, std::string ending) {
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    const std::string_view trimmed = TrimProfileBlanks(line.text);
    if (trimmed.empty()) return line;
    line.comment = trimmed.front() == ';';
    if (trimmed.front() == '[') {
        const std::size_t close = trimmed.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = Kind::Header;
            line.name = TrimProfileBlanks(trimmed.substr(1, close - 1));
            return line;
        }
    }
    line.kind = Kind::Entry;
    const std::size_t equals = line.text.find('=');
    if (equals == std::string::npos) {
        line.name = trimmed;
        return line;
    }
    line.name = TrimProfileBlanks(std::string_view(line.text).substr(0, equals));
    line.hasValue = true;
    line.valueStart = equals + 1;
    return line;
}

std::string ProfileText::Bytes() const {
    std::string bytes;
    for (const auto& line : lines_) bytes += line.text + line.ending;
    return bytes;
}

std::vector<std::string> ProfileText::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& line : lines_)
        if (line.kind == Kind::Header && !line.name.empty()) names.push_back(line.name);
    return names;
}

std::optional<std::vector<std::string>> ProfileText::ValueNames(std::string_view section) const {
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    std::vector<std::string> names;
    for (std::size_t i = *header + 1; i < SectionEnd(*header); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Entry && line.hasValue && !line.comment && !line.name.empty())
            names.push_back(line.name);
    }
    return names;
}

std::optional<std::string> ProfileText::Value(std::string_view section, std::string_view name) const {
    const auto header = FindSection(section);
    if (!header) return std::nullopt;
    const auto index = FindValue(*header, name);
    if (!index) return std::nullopt;
    const Line& line = lines_[*index];
    return std::string(TrimProfileBlanks(std::string_view(line.text).substr(line.valueStart)));
}

std::optional<std::size_t> ProfileText::FindSection(std::string_view section) const {
    section = TrimProfileBlanks(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Header && SameName(lines_[i].name, section)) return i;
    return std::nullopt;
}

std::size_t ProfileText::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Header) ++i;
    return i;
}

std::optional<std::size_t> ProfileText::FindValue(std::size_t header, std::string_view name) const {
    name = TrimProfileBlanks(name);
    for (std::size_t i = header + 1; i < SectionEnd(header); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Entry && line.hasValue && SameName(line.name, name)) return i;
    }
    return std::nullopt;
}

std::string ProfileText::NewLineEnding() const {
    for (const auto& line : lines_)
        if (!line.ending.empty()) return line.ending;
    return "\r\n";
}

void ProfileText::InsertLine(std::size_t index, std::string text) {
    const std::string ending = NewLineEnding();
    if (index > 0 && lines_[index - 1].ending.empty()) lines_[index - 1].ending = ending;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), Parse(std::move(text), ending));
}

bool ProfileText::SetValue(std::string_view section, std::string_view name, std::string_view text) {
    const auto header = FindSection(section);
    if (!header) {
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), std::string(name) + "=" + std::string(text));
        return true;
    }
    if (const auto index = FindValue(*header, name)) {
        Line& line = lines_[*index];
        // The name as the file spells it stays; only the text after "=" changes.
        std::string replaced = line.text.substr(0, line.valueStart) + std::string(text);
        if (replaced == line.text) return false;
        line = Parse(std::move(replaced), std::move(line.ending));
        return true;
    }
    std::size_t after = *header + 1;
    for (std::size_t i = *header + 1; i < SectionEnd(*header); ++i)
        if (lines_[i].kind != Kind::Blank) after = i + 1;
    InsertLine(after, std::string(name) + "=" + std::string(text));
    return true;
}

bool ProfileText::DeleteValue(std::string_view section, std::string_view name) {
    const auto header = FindSection(section);
    if (!header) return false;
    const auto index = FindValue(*header, name);
    if (!index) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

bool ProfileText::EraseSection(std::string_view section) {
    const auto header = FindSection(section);
    if (!header) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*header)));
    return true;
}

DWORD ReadProfileString(const ProfileText* file, const char* section, const char* key,
                        const char* defaultText, char* buffer, DWORD size) {
    if (!buffer) return 0;
    if (!section) return CopyList(file ? file->SectionNames() : std::vector<std::string>{}, buffer, size);
    if (!key) {
        const auto names = file ? file->ValueNames(section) : std::nullopt;
        if (names && !names->empty()) return CopyList(*names, buffer, size);
        return CopyText(DefaultText(defaultText), buffer, size);
    }
    const auto value = file ? file->Value(section, key) : std::nullopt;
    if (value) return CopyText(UnquoteProfileValue(*value), buffer, size);
    return CopyText(DefaultText(defaultText), buffer, size);
}

}  // namespace qm::sim
