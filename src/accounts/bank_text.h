#pragma once

// How the bank import reads the texts of a statement: every comparison is made in Windows-1251
// bytes, small letters, "ё" as "е", one byte a letter. For the matching rules, the month naming
// and the notes; the windows have no use for it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bank::text {

// The text in the form it is compared in; `out` keeps its memory from one text to the next.
void foldInto(std::string_view utf8, std::string& out);
std::string folded(std::string_view utf8);

inline bool isDigit(unsigned char b)
{
    return b >= '0' && b <= '9';
}
// A small letter after folding: Latin, Russian, and the other Cyrillic letters of the code page.
bool isLetter(unsigned char b);

std::string_view trimmed(std::string_view text);

// The words of a folded text: runs of letters, a hyphen between two letters kept inside.
void words(std::string_view folded, std::vector<std::string_view>& result);

std::uint64_t hashOf(std::string_view text, std::uint64_t hash = 14695981039346656037ull);

// At most `characters` characters of a UTF-8 text, "…" after them when some were left off; a
// statement's line may be megabytes long, and a note or a message quotes only its beginning.
std::string shortened(std::string_view utf8, std::size_t characters);

// "1, 2, 3".
std::string numbersText(const std::vector<int>& numbers);

} // namespace bank::text
