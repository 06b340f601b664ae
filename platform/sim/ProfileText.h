// The text of one INI (private-profile) file as Windows reads and edits it:
// parsed into lines, looked up, edited in place and written back.
//
// Edits touch only the lines they concern: comments, blank lines, the lines
// of other sections, text before the first section and each line's own
// ending stay byte for byte, as Windows' in-place editing leaves them. New
// lines take the file's first line ending (CR LF in a file without one).
//
// Reading rules (those of GetPrivateProfileStringA):
//  - a header is a line whose first non-blank character is "[" and which has
//    a "]"; the name is what lies between "[" and the last "]", blanks cut;
//  - any other non-blank line is an entry: name = value around its first
//    "=", blanks cut on both sides; a line without "=" has a name but no
//    value, so it is neither listed nor found;
//  - an entry whose first character is ";" is a comment: it is not listed
//    among a section's value names, though asking for its exact name finds
//    it (the profile functions give comments no other meaning);
//  - section and value names compare without regard to case (the ANSI code
//    page's letters); only the first section of a name counts, and in it
//    only the first value of a name;
//  - lines before the first header belong to no section.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace qm::sim {

class ProfileText {
public:
    ProfileText() = default;
    explicit ProfileText(std::string_view bytes);

    // The file's bytes, with every edit applied.
    std::string Bytes() const;

    // Section names as written (blanks cut), in file order, repeats kept.
    std::vector<std::string> SectionNames() const;
    // Names of the values of a section that have "=", in file order;
    // nothing when the section is absent.
    std::optional<std::vector<std::string>> ValueNames(std::string_view section) const;
    // A value's text with blanks cut, quotes not yet removed; nothing when
    // the section or the value is absent.
    std::optional<std::string> Value(std::string_view section, std::string_view name) const;

    // Each edit returns whether the text changed.
    // Replaces the value's text, or adds the value at the end of its section
    // (after the section's last non-blank line), or adds the section with the
    // value at the end of the file.
    bool SetValue(std::string_view section, std::string_view name, std::string_view text);
    // Removes the value's line; the section stays, even when empty.
    bool DeleteValue(std::string_view section, std::string_view name);
    // Removes the section's header and every line up to the next header.
    bool EraseSection(std::string_view section);

private:
    enum class Kind { Blank, Header, Entry };
    struct Line {
        std::string text;    // without its ending
        std::string ending;  // "\r\n", "\n", "\r" or empty (last line)
        Kind kind = Kind::Blank;
        std::string name;  // header or entry name, blanks cut
        bool hasValue = false;
        bool comment = false;  // entry starting with ";"
        std::size_t valueStart = 0;  // entry: offset in text just after "="
    };

    static Line Parse(std::string text, std::string ending);
    // Index of the first header of that name, if any.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // One past the last line of the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindValue(std::size_t header, std::string_view name) const;
    std::string NewLineEnding() const;
    // Inserts a line before `index`, making sure the line before it is ended.
    void InsertLine(std::size_t index, std::string text);

    std::vector<Line> lines_;
};

// Blanks as the profile functions cut them around names and values.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view text);
// A value read from the file loses one pair of matching quotes (" or ')
// around it.
std::string_view UnquoteProfileValue(std::string_view text);

// What GetPrivateProfileStringA places in the caller's buffer, given the file
// (null when it is missing or cannot be read). Returns the characters copied,
// without the terminating zero:
//  - section null: the section names, each ended by a zero, the list by a
//    second zero; a missing file or a file without sections gives an empty
//    list (a single zero) and the default is not used;
//  - key null: the value names of the section in the same form; an absent
//    section, or one without values, gives the default;
//  - otherwise the value's text, or the default when the file, the section
//    or the value is absent. Trailing spaces of the default are cut; a null
//    default counts as empty.
// A single text is cut to size - 1 characters. A list that does not fit in
// size - 1 characters with its final zero is cut to size - 2 characters and
// ended by two zeros, and size - 2 is returned. Size 0 leaves the buffer
// untouched.
DWORD ReadProfileString(const ProfileText* file, const char* section, const char* key,
                        const char* defaultText, char* buffer, DWORD size);

}  // namespace qm::sim
