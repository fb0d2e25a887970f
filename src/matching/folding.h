#pragma once

// How the imports compare the texts they read with the directory's: every comparison is made in
// Windows-1251 bytes, small letters, "ё" as "е", one byte a letter. The bank import reads its
// statements' payers and purposes so, and the readings import the keys of its rows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace matching {

// The text in the form it is compared in; `out` keeps its memory from one text to the next.
void foldInto(std::string_view utf8, std::string& out);
std::string folded(std::string_view utf8);

// The folded form of each Windows-1251 byte: a text in the code page is folded byte by byte.
const std::array<unsigned char, 256>& foldedBytes();

inline bool isDigit(unsigned char b)
{
    return b >= '0' && b <= '9';
}

// The small letters after folding: Latin, Russian, and the other Cyrillic letters of the code page.
inline constexpr std::array<bool, 256> Letters = [] {
    std::array<bool, 256> set{};
    for (int b = 'a'; b <= 'z'; ++b)
        set[std::size_t(b)] = true;
    for (int b = 0xC0; b <= 0xFF; ++b)
        set[std::size_t(b)] = true;
    for (int b : { 0x83, 0x90, 0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xA2, 0xB3, 0xB4, 0xBA, 0xBC, 0xBE, 0xBF })
        set[std::size_t(b)] = true;
    return set;
}();
inline bool isLetter(unsigned char b)
{
    return Letters[b];
}

// A run of letters or of digits in a folded text.
struct Run
{
    std::uint32_t at = 0;
    std::uint32_t size = 0;
    bool letters = false;
};
// The runs of letters and of digits of a folded text, in order: what every rule of the matching
// looks at, found in one pass over the text.
void runsOf(std::string_view folded, std::vector<Run>& runs);

// The words of a folded text: runs of letters, a hyphen between two letters kept inside.
void words(std::string_view folded, std::vector<std::string_view>& result);
// The same from the text's runs.
void words(std::string_view folded, const std::vector<Run>& runs, std::vector<std::string_view>& result);

// A hash for the tables of the matching (not kept anywhere): eight bytes a step.
std::uint64_t hashOf(std::string_view text, std::uint64_t hash = 14695981039346656037ull);

// At most `characters` characters of a UTF-8 text, "…" after them when some were left off; a
// statement's line may be megabytes long, and a note or a message quotes only its beginning.
std::string shortened(std::string_view utf8, std::size_t characters);

// "1, 2, 3".
std::string numbersText(const std::vector<int>& numbers);

} // namespace matching
