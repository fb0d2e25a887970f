#include "accounts/bank_text.h"

#include "database/cp1251.h"

#include <array>
#include <cstring>

namespace bank::text {
namespace {

constexpr unsigned char SmallYo = 0xB8;
constexpr unsigned char SmallYe = 0xE5;

const std::array<unsigned char, 256>& foldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const unsigned char small = cp1251::lowerByte(static_cast<unsigned char>(b));
            t[std::size_t(b)] = small == SmallYo ? SmallYe : small;
        }
        return t;
    }();
    return table;
}

// How many bytes the UTF-8 sequence at `i` takes, a broken one included: its lead byte alone when
// that is no lead, else up to the first byte that does not continue it or the end of the text.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    if ((lead & 0xE0) == 0xC0)
        length = 2;
    else if ((lead & 0xF0) == 0xE0)
        length = 3;
    else if ((lead & 0xF8) == 0xF0)
        length = 4;
    else
        return 1;
    if (i + length > s.size())
        return s.size() - i;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return k;
    return length;
}

} // namespace

// Latin and Russian letters, nearly all of any text, are folded as they are read; any other
// character goes through the code page on its own. No character takes more than one byte folded,
// so the text is written in place of a copy of its length.
void foldInto(std::string_view utf8, std::string& out)
{
    const std::array<unsigned char, 256>& fold = foldTable();
    out.resize(utf8.size());
    char* o = out.data();
    std::string other;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            *o++ = static_cast<char>(fold[b]);
            ++i;
            continue;
        }
        if ((b == 0xD0 || b == 0xD1) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            const unsigned code = ((b & 0x1Fu) << 6) | (next & 0x3Fu);
            // А … я, without Ё and ё.
            if ((next & 0xC0) == 0x80 && code >= 0x0410 && code <= 0x044F) {
                *o++ = static_cast<char>(fold[code - 0x0410 + 0xC0]);
                i += 2;
                continue;
            }
        }
        const std::size_t length = sequenceLength(utf8, i);
        other.clear();
        cp1251::encodeAppend(utf8.substr(i, length), other);
        const std::size_t at = std::size_t(o - out.data());
        if (at + other.size() > out.size()) {
            out.resize(at + other.size() + (utf8.size() - i));
            o = out.data() + at;
        }
        for (const char c : other)
            *o++ = static_cast<char>(fold[static_cast<unsigned char>(c)]);
        i += length;
    }
    out.resize(std::size_t(o - out.data()));
}

std::string folded(std::string_view utf8)
{
    std::string out;
    foldInto(utf8, out);
    return out;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

void words(std::string_view s, std::vector<std::string_view>& result)
{
    result.clear();
    std::size_t i = 0;
    while (i < s.size()) {
        if (!isLetter(static_cast<unsigned char>(s[i]))) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < s.size()
            && (isLetter(static_cast<unsigned char>(s[i]))
                || (s[i] == '-' && i + 1 < s.size() && isLetter(static_cast<unsigned char>(s[i + 1])))))
            ++i;
        result.push_back(s.substr(start, i - start));
    }
}

std::uint64_t hashOf(std::string_view text, std::uint64_t hash)
{
    constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15ull;
    const char* p = text.data();
    std::size_t left = text.size();
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        hash = (hash ^ word) * Multiplier;
        hash ^= hash >> 29;
    }
    std::uint64_t last = std::uint64_t(left) << 56;
    for (std::size_t k = 0; k < left; ++k)
        last |= std::uint64_t(static_cast<unsigned char>(p[k])) << (8 * k);
    hash = (hash ^ last) * Multiplier;
    return hash ^ (hash >> 29);
}

std::string shortened(std::string_view utf8, std::size_t characters)
{
    std::size_t i = 0;
    for (std::size_t count = 0; i < utf8.size(); ++count) {
        if (count == characters)
            return std::string(utf8.substr(0, i)) + "…";
        i += sequenceLength(utf8, i);
    }
    return std::string(utf8);
}

std::string numbersText(const std::vector<int>& numbers)
{
    std::string text;
    for (int n : numbers) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(n);
    }
    return text;
}

} // namespace bank::text
