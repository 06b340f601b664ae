// Splits a script source into tokens: words, numbers, strings, "+".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm::script {

struct Token {
    enum class Kind { Word, Number, String, Plus, End };
    Kind kind = Kind::End;
    std::string text;          // the word, the string's bytes, or the number as written
    std::uint64_t number = 0;  // Number only
    int line = 1;
    int column = 1;
};

// What a token is, for messages: "word 'add'", "string", "end of file".
std::string Describe(const Token& token);

// Throws SourceError for a character or literal that cannot start a token.
std::vector<Token> Tokenize(std::string_view source, const std::string& fileName);

}  // namespace qm::script
