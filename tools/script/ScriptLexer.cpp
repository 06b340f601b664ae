// Tokenizing script sources. Whitespace and line ends only separate tokens;
// "#" starts a comment that runs to the end of the line.
#include "tools/script/ScriptLexer.h"

#include <limits>

#include "tools/script/ScriptCompiler.h"
#include "tools/script/ScriptNames.h"

namespace qm::script {

namespace {

bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '-'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte <= 0x7E) return std::string("'") + c + "'";
    return "byte " + HexNumber(byte);
}

class Lexer {
public:
    Lexer(std::string_view source, const std::string& fileName) : s_(source), file_(fileName) {}

    std::vector<Token> Run() {
        std::vector<Token> tokens;
        for (;;) {
            SkipSpaceAndComments();
            Token token;
            token.line = line_;
            token.column = column_;
            if (pos_ >= s_.size()) {
                tokens.push_back(token);
                return tokens;
            }
            const char c = s_[pos_];
            if (c == '+') {
                token.kind = Token::Kind::Plus;
                token.text = "+";
                Advance();
            } else if (c == '"') {
                LexQuoted(token);
            } else if (c == '\'') {
                LexVerbatim(token);
            } else if (IsDigit(c)) {
                LexNumber(token);
            } else if (IsWordStart(c)) {
                token.kind = Token::Kind::Word;
                while (pos_ < s_.size() && IsWordChar(s_[pos_])) token.text += Advance();
            } else {
                Fail(token, "unexpected " + Shown(c));
            }
            tokens.push_back(std::move(token));
        }
    }

private:
    [[noreturn]] void Fail(const Token& at, const std::string& message) const {
        throw SourceError(file_, at.line, at.column, message);
    }

    char Advance() {
        const char c = s_[pos_++];
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        return c;
    }

    void SkipSpaceAndComments() {
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                Advance();
            } else if (c == '#') {
                while (pos_ < s_.size() && s_[pos_] != '\n') Advance();
            } else {
                return;
            }
        }
    }

    void LexNumber(Token& token) {
        token.kind = Token::Kind::Number;
        const bool hex = s_[pos_] == '0' && pos_ + 1 < s_.size() && (s_[pos_ + 1] == 'x' || s_[pos_ + 1] == 'X');
        const std::uint64_t base = hex ? 16 : 10;
        if (hex) token.text += std::string{Advance(), Advance()};
        std::size_t digits = 0;
        bool overflow = false;
        while (pos_ < s_.size()) {
            const int value = HexValue(s_[pos_]);
            if (value < 0 || static_cast<std::uint64_t>(value) >= base) break;
            if (token.number > (std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(value)) / base)
                overflow = true;
            token.number = token.number * base + static_cast<std::uint64_t>(value);
            token.text += Advance();
            ++digits;
        }
        if (digits == 0) Fail(token, "'" + token.text + "' needs hex digits");
        if (pos_ < s_.size() && IsWordChar(s_[pos_]))
            Fail(token, "bad number '" + token.text + s_[pos_] + "...'");
        if (overflow) Fail(token, "number " + token.text + " is too large");
    }

    // "..." with the escapes \\ \" \' \n \r \t \0 and \xHH.
    void LexQuoted(Token& token) {
        token.kind = Token::Kind::String;
        Advance();
        for (;;) {
            if (pos_ >= s_.size() || s_[pos_] == '\n') Fail(token, "string not closed on its line");
            const char c = Advance();
            if (c == '"') return;
            if (c != '\\') {
                token.text += c;
                continue;
            }
            if (pos_ >= s_.size()) Fail(token, "string not closed on its line");
            const int escLine = line_;
            const int escColumn = column_ - 1;
            const char e = Advance();
            switch (e) {
                case '\\': token.text += '\\'; break;
                case '"': token.text += '"'; break;
                case '\'': token.text += '\''; break;
                case 'n': token.text += '\n'; break;
                case 'r': token.text += '\r'; break;
                case 't': token.text += '\t'; break;
                case '0': token.text += '\0'; break;
                case 'x': {
                    const int high = pos_ < s_.size() ? HexValue(s_[pos_]) : -1;
                    const int low = pos_ + 1 < s_.size() ? HexValue(s_[pos_ + 1]) : -1;
                    if (high < 0 || low < 0)
                        throw SourceError(file_, escLine, escColumn, "\\x needs two hex digits");
                    Advance();
                    Advance();
                    token.text += static_cast<char>(high * 16 + low);
                    break;
                }
                default:
                    throw SourceError(file_, escLine, escColumn,
                                      "unknown escape \\" + std::string(1, e) +
                                          " (known: \\\\ \\\" \\' \\n \\r \\t \\0 \\xHH; or write the text in "
                                          "single quotes, where a backslash is just a backslash)");
            }
        }
    }

    // '...': every byte as it stands, no escapes.
    void LexVerbatim(Token& token) {
        token.kind = Token::Kind::String;
        Advance();
        for (;;) {
            if (pos_ >= s_.size() || s_[pos_] == '\n') Fail(token, "string not closed on its line");
            const char c = Advance();
            if (c == '\'') return;
            token.text += c;
        }
    }

    std::string_view s_;
    const std::string& file_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
};

}  // namespace

std::string Describe(const Token& token) {
    switch (token.kind) {
        case Token::Kind::Word: return "'" + token.text + "'";
        case Token::Kind::Number: return "number " + token.text;
        case Token::Kind::String: return "a string";
        case Token::Kind::Plus: return "'+'";
        case Token::Kind::End: break;
    }
    return "the end of the file";
}

std::vector<Token> Tokenize(std::string_view source, const std::string& fileName) {
    return Lexer(source, fileName).Run();
}

}  // namespace qm::script
