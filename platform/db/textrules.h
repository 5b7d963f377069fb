// How the engine compares text: by case-folded code points, so "é" equals "É" and every ordering
// is a total one; and the engine's Like patterns on top of the same folding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs::db::detail {

// Builds the fold table on first use; call before handing the functions below to SQLite.
void initTextRules();

// Sets table[c] to the lower-case form of each BMP character c, c itself where it has none (surrogates
// and NUL included). The program takes the system's own mapping (foldtable_win.cpp), so criteria, Like
// and ORDER BY agree with how Windows folds letters; the native build the same data from a generated
// table (foldtable_native.cpp).
void fillFoldTable(uint16_t* table);

char32_t foldChar(char32_t c);

// <0, 0, >0 as a sorts before, equals or sorts after b, letter case ignored.
int compareText(std::string_view a, std::string_view b);
bool equalText(std::string_view a, std::string_view b);

// Characters of a text as the engine counts them (UTF-16 units).
std::size_t textLength(std::string_view utf8);

// A compiled Like pattern: * any run, ? any character, # a digit, [list] / [!list] with ranges.
class LikePattern {
public:
    // Returns false (and leaves the pattern empty) when the pattern is malformed.
    bool compile(std::string_view pattern);
    bool matches(std::string_view text) const;

private:
    enum Kind : uint8_t { Literal, Any, Digit, Star, Class };
    struct Token {
        Kind kind;
        char32_t ch = 0;   // Literal: the folded character
        uint32_t cls = 0;  // Class: index into classes_
    };
    struct CharClass {
        bool negated = false;
        std::vector<std::pair<char32_t, char32_t>> ranges;  // folded, inclusive
        bool contains(char32_t folded) const;
    };
    bool matchTokens(const char32_t* text, std::size_t n) const;

    std::vector<Token> tokens_;
    std::vector<CharClass> classes_;
    // Fast forms: "*lit*", "lit*", "*lit", "lit" with an ASCII literal.
    enum Shape : uint8_t { General, Contains, Prefix, Suffix, Exact } shape_ = General;
    std::string asciiLiteral_;  // folded
};

}  // namespace qs::db::detail
