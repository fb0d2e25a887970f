#include "matching/folding.h"

#include "text/cp1251.h"

#include <array>
#include <charconv>
#include <cstring>

namespace matching {
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

const std::array<unsigned char, 256>& foldedBytes()
{
    return foldTable();
}

std::string folded(std::string_view utf8)
{
    std::string out;
    foldInto(utf8, out);
    return out;
}

void words(std::string_view s, std::vector<std::string_view>& result)
{
    result.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    while (p != end) {
        if (!Letters[*p]) {
            ++p;
            continue;
        }
        const auto* const start = p;
        for (++p; p != end; ++p) {
            if (Letters[*p] || (*p == '-' && p + 1 != end && Letters[p[1]]))
                continue;
            break;
        }
        result.emplace_back(reinterpret_cast<const char*>(start), std::size_t(p - start));
    }
}

void runsOf(std::string_view folded, std::vector<Run>& runs)
{
    // 1 for a letter, 2 for a digit, 0 for anything else.
    static constexpr std::array<unsigned char, 256> Kinds = [] {
        std::array<unsigned char, 256> kinds{};
        for (std::size_t b = 0; b < 256; ++b)
            kinds[b] = Letters[b] ? 1 : 0;
        for (std::size_t b = '0'; b <= '9'; ++b)
            kinds[b] = 2;
        return kinds;
    }();
    runs.clear();
    const auto* const begin = reinterpret_cast<const unsigned char*>(folded.data());
    const auto* const end = begin + folded.size();
    const auto* p = begin;
    while (p != end) {
        const unsigned char kind = Kinds[*p];
        if (kind == 0) {
            ++p;
            continue;
        }
        const auto* const start = p;
        do
            ++p;
        while (p != end && Kinds[*p] == kind);
        runs.push_back({ std::uint32_t(start - begin), std::uint32_t(p - start), kind == 1 });
    }
}

void words(std::string_view folded, const std::vector<Run>& runs, std::vector<std::string_view>& result)
{
    result.clear();
    bool joins = false; // the last word ends in a hyphen that the next run of letters follows at once
    for (const Run& run : runs) {
        if (!run.letters) {
            joins = false;
            continue;
        }
        if (joins && !result.empty()
            && result.back().data() + result.back().size() + 1 == folded.data() + run.at)
            result.back() = std::string_view(result.back().data(), result.back().size() + 1 + run.size);
        else
            result.push_back(folded.substr(run.at, run.size));
        const std::size_t end = std::size_t(run.at) + run.size;
        joins = end < folded.size() && folded[end] == '-';
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
    text.reserve(numbers.size() * 8);
    char digits[16];
    for (const int n : numbers) {
        if (!text.empty())
            text += ", ";
        text.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
    }
    return text;
}

} // namespace matching
