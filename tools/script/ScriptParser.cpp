// Parsing script sources. A source is a sequence of statements, each opened
// by a keyword; line ends are plain whitespace, so a statement may span
// lines. Header statements (module, prefix, magic, trailer, trailer-check,
// record-start, default-tag) come before the first record.
#include "tools/script/ScriptParser.h"

#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>

#include "tools/script/ScriptCompiler.h"
#include "tools/script/ScriptLexer.h"
#include "tools/script/ScriptNames.h"

namespace qm::script {

namespace {

constexpr std::array<std::string_view, 7> kHeaderWords{"module",       "prefix",       "magic",      "trailer",
                                                       "trailer-check", "record-start", "default-tag"};
constexpr std::array<std::string_view, 13> kBodyWords{
    "description", "owner",  "search-folder", "call-module", "string-table", "delete", "add",
    "change",      "rename", "register",      "unregister",  "record",       "bytes"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& words, std::string_view word) {
    for (std::string_view w : words)
        if (w == word) return true;
    return false;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

void PutLittleEndian(Bytes& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

// The clauses that may follow the fixed part of a record statement.
struct ClauseSet {
    bool wide = false;    // item records named by an operation
    bool kind = false;    // register, unregister
    bool data = false;    // delete value, delete ini-value
    bool fields = false;  // raw records: text1, text2, data1, data2
};

class Parser {
public:
    Parser(std::vector<Token> tokens, const std::string& fileName, const std::filesystem::path& baseDir)
        : t_(std::move(tokens)), file_(fileName), baseDir_(baseDir) {}

    ParsedScript Run() {
        while (Peek().kind != Token::Kind::End) {
            const Token& keyword = Take();
            if (keyword.kind == Token::Kind::Word && Contains(kHeaderWords, keyword.text)) {
                ParseHeader(keyword);
            } else if (keyword.kind == Token::Kind::Word && Contains(kBodyWords, keyword.text)) {
                if (afterStringTable_ && keyword.text != "bytes")
                    Fail(keyword, "the string table must be the last record: the reader takes everything up to "
                                  "the trailer for its entries");
                afterStringTable_ = afterStringTable_ || keyword.text == "string-table";
                out_.itemPlaces.push_back({keyword.line, keyword.column});
                out_.container.body.push_back(ParseBody(keyword));
                bodyStarted_ = true;
            } else {
                Fail(keyword, "expected a statement (such as 'description', 'delete' or 'add'), found " +
                                  Describe(keyword));
            }
        }
        if (trailerNone_ && (out_.container.trailerCheck || out_.container.recordStart))
            Fail(*trailerNone_, "'trailer none' leaves no trailer for 'trailer-check' or 'record-start'");
        return std::move(out_);
    }

private:
    // ---- Tokens ----
    const Token& Peek() const { return t_[i_]; }
    const Token& Take() {
        const Token& token = t_[i_];
        if (token.kind != Token::Kind::End) ++i_;
        return token;
    }
    bool PeekWord(std::string_view word) const { return Peek().kind == Token::Kind::Word && Peek().text == word; }
    bool TakeWord(std::string_view word) {
        if (!PeekWord(word)) return false;
        Take();
        return true;
    }
    bool AtStatementEnd() const {
        const Token& t = Peek();
        return t.kind == Token::Kind::End ||
               (t.kind == Token::Kind::Word && (Contains(kHeaderWords, t.text) || Contains(kBodyWords, t.text)));
    }
    [[noreturn]] void Fail(const Token& at, const std::string& message) const {
        throw SourceError(file_, at.line, at.column, message);
    }
    void ExpectWord(std::string_view word, const std::string& context) {
        if (!TakeWord(word)) Fail(Peek(), context + ": expected '" + std::string(word) + "', found " + Describe(Peek()));
    }

    // ---- Values ----
    std::uint64_t Number(std::uint64_t max, const std::string& what) {
        const Token& token = Take();
        if (token.kind != Token::Kind::Number) Fail(token, what + ": expected a number, found " + Describe(token));
        if (token.number > max)
            Fail(token, what + ": " + token.text + " is too large (at most " + HexNumber(max) + ")");
        return token.number;
    }

    // One string, or several joined by "+".
    std::string Text(const std::string& what) {
        std::string text;
        do {
            const Token& token = Take();
            if (token.kind != Token::Kind::String) Fail(token, what + ": expected a string, found " + Describe(token));
            text += token.text;
        } while (Peek().kind == Token::Kind::Plus && (Take(), true));
        return text;
    }

    // Data: pieces joined by "+"; each piece a string (its bytes), hex "..",
    // dword N, qword N, word N or utf16 "..".
    Bytes Data(const std::string& what) {
        Bytes data;
        do {
            const Token& token = Take();
            if (token.kind == Token::Kind::String) {
                data.insert(data.end(), token.text.begin(), token.text.end());
            } else if (token.kind == Token::Kind::Word && token.text == "hex") {
                HexPiece(data);
            } else if (token.kind == Token::Kind::Word && token.text == "dword") {
                PutLittleEndian(data, Number(0xFFFFFFFFu, "dword"), 4);
            } else if (token.kind == Token::Kind::Word && token.text == "qword") {
                PutLittleEndian(data, Number(~0ull, "qword"), 8);
            } else if (token.kind == Token::Kind::Word && token.text == "word") {
                PutLittleEndian(data, Number(0xFFFF, "word"), 2);
            } else if (token.kind == Token::Kind::Word && token.text == "utf16") {
                Utf16Piece(data);
            } else {
                Fail(token, what + ": expected data (a string, hex \"..\", dword N, qword N, word N or utf16 \"..\"), "
                                   "found " + Describe(token));
            }
        } while (Peek().kind == Token::Kind::Plus && (Take(), true));
        return data;
    }

    void HexPiece(Bytes& data) {
        const Token& token = Take();
        if (token.kind != Token::Kind::String) Fail(token, "hex: expected a string of hex digits, found " + Describe(token));
        int pending = -1;
        for (char c : token.text) {
            if (c == ' ' || c == '\t') continue;
            if (!IsHexDigit(c)) Fail(token, "hex: '" + std::string(1, c) + "' is not a hex digit");
            if (pending < 0) {
                pending = HexValue(c);
            } else {
                data.push_back(static_cast<std::uint8_t>(pending * 16 + HexValue(c)));
                pending = -1;
            }
        }
        if (pending >= 0) Fail(token, "hex: odd number of digits");
    }

    // The string's bytes are UTF-8; they are stored as UTF-16LE.
    void Utf16Piece(Bytes& data) {
        const Token& token = Take();
        if (token.kind != Token::Kind::String) Fail(token, "utf16: expected a string, found " + Describe(token));
        const std::string& s = token.text;
        for (std::size_t i = 0; i < s.size();) {
            const auto lead = static_cast<unsigned char>(s[i]);
            const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
            if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1u : 0u))
                Fail(token, "utf16: the string is not valid UTF-8");  // a bad lead byte, or cut short
            std::uint32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                const auto next = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
                if ((next & 0xC0) != 0x80) Fail(token, "utf16: the string is not valid UTF-8");
                cp = (cp << 6) | (next & 0x3F);
            }
            i += static_cast<std::size_t>(extra) + 1;
            if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) Fail(token, "utf16: the string is not valid UTF-8");
            if (cp >= 0x10000) {
                cp -= 0x10000;
                PutLittleEndian(data, 0xD800 + (cp >> 10), 2);
                PutLittleEndian(data, 0xDC00 + (cp & 0x3FF), 2);
            } else {
                PutLittleEndian(data, cp, 2);
            }
        }
    }

    std::uint16_t RegistryDataType() {
        const Token& token = Peek();
        if (token.kind == Token::Kind::Word) {
            if (auto type = RegistryType(token.text)) {
                Take();
                return *type;
            }
            Fail(token, "'" + token.text + "' is not a registry data type (REG_SZ, REG_EXPAND_SZ, REG_BINARY, "
                                           "REG_DWORD, REG_MULTI_SZ, ... or a number)");
        }
        return static_cast<std::uint16_t>(Number(0xFFFF, "registry data type"));
    }

    // A kind: a number, an object kind or a registry data type.
    std::uint16_t Kind() {
        const Token& token = Peek();
        if (token.kind == Token::Kind::Word) {
            if (auto kind = ObjectKind(token.text)) {
                Take();
                return *kind;
            }
            if (auto type = RegistryType(token.text)) {
                Take();
                return *type;
            }
            Fail(token, "'" + token.text + "' is not a kind (file, file-text2, folder, key, ini-section, ini-value, "
                                           "a registry data type or a number)");
        }
        return static_cast<std::uint16_t>(Number(0xFFFF, "kind"));
    }

    // "FILE" "SECTION": the first text of an INI record.
    std::string IniPath() {
        const Token& at = Peek();
        const std::string file = Text("INI file name");
        if (file.empty()) Fail(at, "the INI file name is empty; the reader raises no INI event for such a record");
        if (file.find('*') != std::string::npos)
            Fail(at, "the INI file name contains '*', which separates it from the section");
        return file + "*" + Text("INI section name");
    }

    // ---- Header ----
    void ParseHeader(const Token& keyword) {
        const std::string& word = keyword.text;
        if (bodyStarted_) Fail(keyword, "'" + word + "' must come before the first record");
        if (!seenHeader_.insert(word).second) Fail(keyword, "'" + word + "' given twice");
        Container& c = out_.container;
        if (word == "module") {
            out_.layoutPlace = {keyword.line, keyword.column};
            if (Peek().kind == Token::Kind::String) {
                const Token& at = Peek();
                c.module = ReadModuleFile(at, Text("module file"));
            } else {
                const Token& at = Peek();
                c.module = Data("module");
                if (c.module->empty()) Fail(at, "the module is empty; a module holds at least one byte");
            }
        } else if (word == "prefix") {
            c.prefix = Data("prefix");
        } else if (word == "magic") {
            if (TakeWord("none"))
                c.magic.clear();
            else
                c.magic = Data("magic");
        } else if (word == "trailer") {
            ExpectWord("none", "trailer");
            c.hasTrailer = false;
            trailerNone_ = keyword;
        } else if (word == "trailer-check") {
            c.trailerCheck = static_cast<std::uint32_t>(Number(0xFFFFFFFFu, "trailer-check"));
        } else if (word == "record-start") {
            out_.layoutPlace = {keyword.line, keyword.column};
            c.recordStart = static_cast<std::uint32_t>(Number(0xFFFFFFFFu, "record-start"));
        } else {
            defaultTag_ = static_cast<std::uint32_t>(Number(0xFFFFFFFFu, "default-tag"));
        }
    }

    Bytes ReadModuleFile(const Token& at, const std::string& name) {
        const std::filesystem::path path = baseDir_ / std::filesystem::path(name);
        const auto fail = [&](const std::string& why) {
            throw ModuleFileError(file_, at.line, at.column,
                                  "cannot read the module file '" + path.string() + "'" + why);
        };
        std::error_code ignored;
        if (std::filesystem::is_directory(path, ignored)) fail(": it is a folder, not a file");
        std::ifstream in(path, std::ios::binary);
        if (!in) fail("");
        Bytes bytes;
        try {
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } catch (const std::ios_base::failure&) {
            // The stream buffer throws on a failed read, whatever the stream's mask.
            fail("");
        }
        if (in.bad()) fail("");
        if (bytes.empty()) Fail(at, "the module file '" + path.string() + "' is empty");
        out_.filesRead.push_back(path);
        return bytes;
    }

    // ---- Body ----
    BodyItem ParseBody(const Token& keyword) {
        const std::string& word = keyword.text;
        if (word == "bytes") return RawBytes{Data("bytes")};
        if (word == "string-table") return ParseStringTable();
        Record r;
        r.tag = defaultTag_;
        if (word == "record") {
            ParseRawRecord(r);
        } else if (auto special = SpecialType(word)) {
            r.type = *special;
            r.text1 = Text(word);
            Clauses(r, {});
        } else {
            ParseItem(keyword, r);
        }
        return r;
    }

    StringTable ParseStringTable() {
        StringTable table;
        table.tag = defaultTag_;
        bool tagSeen = false;
        while (!AtStatementEnd()) {
            const Token& clause = Take();
            if (clause.kind == Token::Kind::Word && clause.text == "entry") {
                table.entries.push_back(Text("entry"));
            } else if (clause.kind == Token::Kind::Word && clause.text == "tag") {
                if (tagSeen) Fail(clause, "'tag' given twice");
                tagSeen = true;
                table.tag = static_cast<std::uint32_t>(Number(0xFFFFFFFFu, "tag"));
            } else {
                Fail(clause, "string-table: expected 'entry' or 'tag', found " + Describe(clause));
            }
        }
        return table;
    }

    // record TYPE KIND [wide] [tag N] [text1 T] [text2 T] [data1 D] [data2 D]
    void ParseRawRecord(Record& r) {
        const Token& typeToken = Peek();
        bool named = false;
        if (typeToken.kind == Token::Kind::Word) {
            if (auto op = OperationCode(typeToken.text)) {
                r.type = *op;
                named = true;
            } else if (auto special = SpecialType(typeToken.text)) {
                r.type = *special;
            } else {
                Fail(typeToken, "record: '" + typeToken.text +
                                    "' is not a record type (a number, an operation such as 'delete', or "
                                    "'description', 'owner', 'search-folder', 'call-module')");
            }
            Take();
        } else {
            r.type = static_cast<std::uint16_t>(Number(0xFFFF, "record type"));
        }
        if (r.type == kRecordStringTable)
            Fail(typeToken, "record: type 0x9999 is the string table, whose layout differs; write 'string-table'");
        r.kind = Kind();
        Clauses(r, {.wide = named, .fields = true});
    }

    void ParseItem(const Token& keyword, Record& r) {
        const std::string& op = keyword.text;
        r.type = *OperationCode(op);
        if (op == "register" || op == "unregister") {
            ExpectWord("server", op);
            r.kind = kKindFile;
            r.text1 = Text("server path");
            Clauses(r, {.wide = true, .kind = true});
            return;
        }
        const Token& object = Take();
        const std::string& what = object.text;
        if (object.kind != Token::Kind::Word ||
            !(what == "file" || what == "file-text2" || what == "folder" || what == "key" || what == "ini-section" ||
              what == "ini-value" || what == "value"))
            Fail(object, op + ": expected what to " + op +
                             " (file, file-text2, folder, key, value, ini-value, ini-section), found " +
                             Describe(object));
        const std::string statement = op + " " + what;
        const auto refuse = [&](const std::string& why) {
            Fail(keyword, "'" + statement + "' cannot be written: " + why +
                              " (a raw 'record' statement writes such a record anyway)");
        };
        const bool change = op == "change";
        const bool rename = op == "rename";

        if (what == "value") {
            if (rename) refuse("the reader raises no event for a rename of a registry value");
            r.text1 = Text("key path");
            r.text2 = Text("value name");
            const Token& typeToken = Peek();
            r.kind = RegistryDataType();
            if (auto taken = ObjectKindName(r.kind); taken && !(change && r.kind == kKindFileInText2))
                Fail(typeToken, "registry data type " + HexNumber(r.kind) + " is the kind of '" +
                                    std::string(*taken) + "' records, so the reader would not take this for a value");
            if (change) {
                ChangeData(r);
            } else if (op == "add") {
                r.data1 = Data("value data");
            }
            Clauses(r, {.wide = true, .data = op == "delete"});
            return;
        }
        if (what == "ini-value") {
            if (rename) refuse("the reader raises no event for a rename of an INI value");
            r.kind = kKindIniValue;
            r.text1 = IniPath();
            r.text2 = Text("INI value name");
            if (change) {
                ChangeData(r);
            } else if (op == "add") {
                r.data1 = Data("INI value text");
            }
            Clauses(r, {.wide = true, .data = op == "delete"});
            return;
        }
        if (what == "ini-section") {
            if (change) refuse("the reader refuses a change of an INI section and stops reading there");
            if (rename) refuse("the reader raises no event for a rename of an INI section");
            r.kind = kKindIniSection;
            r.text1 = IniPath();
        } else if (what == "key") {
            if (change) refuse("the reader refuses a change of a registry key and stops reading there");
            if (rename) refuse("the reader raises no event for a rename of a registry key");
            r.kind = kKindRegKey;
            r.text1 = Text("key path");
        } else if (what == "folder") {
            if (change) refuse("the reader refuses a change of a folder and stops reading there");
            r.kind = kKindFolder;
            if (rename) {
                r.text2 = Text("old folder path");
                ExpectWord("to", statement);
            }
            r.text1 = Text("folder path");
        } else if (what == "file-text2") {
            if (change) refuse("the reader takes a change of kind file-text2 for a registry-value change; write "
                               "'change value KEY NAME 0x11 ...' if that is meant");
            if (rename) refuse("the reader raises no event for a rename of kind file-text2");
            r.kind = kKindFileInText2;
            r.text2 = Text("file path");
        } else {
            r.kind = kKindFile;
            if (rename) {
                r.text2 = Text("old file path");
                ExpectWord("to", statement);
            }
            r.text1 = Text("file path");
            if (change) ChangeData(r);
        }
        Clauses(r, {.wide = true});
    }

    // from OLD to NEW: data block 2 holds the old data, block 1 the new.
    void ChangeData(Record& r) {
        ExpectWord("from", "change");
        r.data2 = Data("old data");
        ExpectWord("to", "change");
        r.data1 = Data("new data");
    }

    void Clauses(Record& r, ClauseSet allowed) {
        std::set<std::string> seen;
        while (!AtStatementEnd()) {
            const Token& clause = Take();
            const std::string& word = clause.text;
            const bool known = clause.kind == Token::Kind::Word &&
                               (word == "tag" || (word == "wide" && allowed.wide) || (word == "kind" && allowed.kind) ||
                                (word == "data" && allowed.data) ||
                                (allowed.fields && (word == "text1" || word == "text2" || word == "data1" ||
                                                    word == "data2")));
            if (!known) {
                std::string list = "'tag'";
                if (allowed.wide) list += ", 'wide'";
                if (allowed.kind) list += ", 'kind'";
                if (allowed.data) list += ", 'data'";
                if (allowed.fields) list += ", 'text1', 'text2', 'data1', 'data2'";
                Fail(clause, "expected the next statement or a clause (" + list + "), found " + Describe(clause));
            }
            if (!seen.insert(word).second) Fail(clause, "'" + word + "' given twice");
            if (word == "tag") {
                r.tag = static_cast<std::uint32_t>(Number(0xFFFFFFFFu, "tag"));
            } else if (word == "wide") {
                r.type = static_cast<std::uint16_t>(r.type | (kWideNameByte << 8));
            } else if (word == "kind") {
                r.kind = Kind();
            } else if (word == "data" || word == "data1") {
                r.data1 = Data(word);
            } else if (word == "data2") {
                r.data2 = Data(word);
            } else if (word == "text1") {
                r.text1 = Text(word);
            } else {
                r.text2 = Text(word);
            }
        }
    }

    std::vector<Token> t_;
    std::size_t i_ = 0;
    const std::string& file_;
    std::filesystem::path baseDir_;
    ParsedScript out_;
    bool bodyStarted_ = false;
    bool afterStringTable_ = false;
    std::set<std::string> seenHeader_;
    std::optional<Token> trailerNone_;
    std::uint32_t defaultTag_ = 0;
};

}  // namespace

ParsedScript ParseSource(std::string_view source, const std::string& fileName, const std::filesystem::path& baseDir) {
    return Parser(Tokenize(source, fileName), fileName, baseDir).Run();
}

}  // namespace qm::script
