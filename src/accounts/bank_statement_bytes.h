#pragma once

// What the bytes of a statement file are: which code page, whether they hold control characters,
// and their lines, keys and values. For the statement reader, and for the import, which folds a
// payer and a purpose from the file's bytes; everyone else uses bank_statement.h.

#include "accounts/bank_statement.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bank::statement {

inline std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Valid UTF-8 in the strict sense: shortest forms only, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view bytes);
// Where the first control character of the bytes is (anything but the tab and the line ends), or
// npos.
std::size_t firstControl(std::string_view bytes);
// UTF-16, as some programs save a text: a byte-order mark, or the zero bytes of ASCII between its
// letters.
bool looksUtf16(std::string_view bytes);

// The keys the reader acts on.
enum class Key {
    Other,
    SectionDocument,
    SectionAccount,
    EndDocument,
    EndAccount,
    EndFile,
    Account,
    Sender,
    DateFrom,
    DateTo,
    Encoding,
    Number,
    Date,
    Sum,
    PayerAccount,
    Payer,
    Payer1,
    PayerInn,
    PayeeAccount,
    Received,
    Purpose,
    Purpose1, // … Purpose6 follow
};

constexpr Key Purpose6 = Key(int(Key::Purpose1) + 5);

// Whether `size` bytes at `a` and at `b` are the same; the keys compared are a few words long,
// and are compared a word at a time, the last word overlapping the one before.
inline bool sameBytes(const char* a, const char* b, std::size_t size)
{
    const auto word = [](const char* p) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        return x;
    };
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 < size; i += 8)
            if (word(a + i) != word(b + i))
                return false;
        return word(a + size - 8) == word(b + size - 8);
    }
    if (size >= 4) {
        const auto half = [](const char* p) {
            std::uint32_t x;
            std::memcpy(&x, p, 4);
            return x;
        };
        return ((half(a) ^ half(b)) | (half(a + size - 4) ^ half(b + size - 4))) == 0;
    }
    for (; size > 0; ++a, ++b, --size)
        if (*a != *b)
            return false;
    return true;
}

// The file is read in the bytes of its code page: keys are compared in that code page, and only
// the values kept are decoded.
class Encoding
{
public:
    enum Kind { Utf8, Dos, Windows };

    explicit Encoding(Kind kind);

    // "UTF-8", "DOS" or "Windows", as the statement tells it.
    const char* name() const;
    // A text of the program's in this code page.
    std::string encoded(std::string_view utf8) const;
    void decodeAppend(std::string_view bytes, std::string& out) const;
    // The value in UTF-8, kept in the store; tabs inside it become blanks. The bytes up to
    // `readable` (the end of the file's bytes, at or after the value's end) may be looked at.
    // With `view`, a value that is its own UTF-8 (ASCII, or any UTF-8, without tabs) is not
    // copied: the bytes themselves are given back, for a store that keeps them.
    std::string_view keep(
        std::string_view bytes, TextStore& store, const char* readable, bool view = false) const;
    // A value of a Cyrillic code page as the matching compares it (matching/folding.h): folded from
    // its own bytes, without the way through UTF-8, into `out`. Not for UTF-8, whose kept text
    // is folded as it is.
    void fold(std::string_view bytes, std::string& out) const;
    Kind kind() const { return m_kind; }

    Key key(std::string_view bytes) const
    {
        if (bytes.empty() || bytes.size() > m_longest)
            return Key::Other;
        for (std::size_t at = slotOf(bytes);; at = (at + 1) % Slots) {
            const Slot& slot = m_slots[at];
            if (slot.size == 0)
                return Key::Other;
            if (slot.size == bytes.size() && sameBytes(slot.name.data(), bytes.data(), bytes.size()))
                return slot.key;
        }
    }

private:
    void add(std::string name, Key key);

    // The keys in an open table by their length and their first and last four bytes, which tell
    // them apart: a line's key is found with one comparison.
    struct Slot
    {
        std::array<char, 40> name{}; // the longest key is 36 bytes in UTF-8
        std::size_t size = 0; // 0: a free slot
        Key key = Key::Other;
    };
    static constexpr std::size_t Slots = 128;
    static std::size_t slotOf(std::string_view bytes)
    {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        if (bytes.size() >= 4) {
            std::memcpy(&first, bytes.data(), 4);
            std::memcpy(&last, bytes.data() + bytes.size() - 4, 4);
        } else {
            for (const char c : bytes)
                first = first * 131 + static_cast<unsigned char>(c);
        }
        const std::uint64_t mixed
            = (std::uint64_t(first) * 0x9E3779B1u) ^ (std::uint64_t(last) * 0x85EBCA77u) ^ bytes.size();
        return std::size_t((mixed ^ (mixed >> 17)) % Slots);
    }

    Kind m_kind;
    std::array<Slot, Slots> m_slots;
    std::size_t m_longest = 0;
    // The UTF-8 of each byte in the code page, its length in the fourth byte; a tab's is a blank.
    std::array<std::array<char, 4>, 256> m_utf8{};
    // The folded byte of each byte of the code page, a tab as a blank; m_foldsTo[b] is 0 where
    // the folding leaves its character out (DOS's box drawing has no Windows-1251 letter).
    std::array<unsigned char, 256> m_folded{};
    std::array<unsigned char, 256> m_foldsTo{};
    bool m_foldsAll = true; // every byte has its folded byte
    bool m_byteFolds = false; // the tables above hold: else the folding goes through UTF-8
    // Every byte but the tab and those of 0x80 … 0xBF folds to itself, or a capital to itself plus
    // 0x20 (Windows-1251's Latin and Russian letters).
    bool m_capitalsBelowSmall = false;
};

const Encoding& encoding(Encoding::Kind kind);

// A line of a statement, the blanks around it dropped, and its key and value: the texts before and
// after its first "=", blanks dropped around each (the whole line is the key of a line without).
struct Line
{
    std::string_view text;
    std::string_view key;
    std::string_view value;
};

// The lines of a text, their line ends (LF or CR LF) taken off.
class Lines
{
public:
    explicit Lines(std::string_view text) : m_at(text.data()), m_end(text.data() + text.size()) { }

    bool next(Line& line)
    {
        if (m_at == m_end)
            return false;
        const char* equals = nullptr;
        const char* end = find(equals);
        const char* const after = end == m_end ? m_end : end + 1;
        if (end != m_at && end[-1] == '\r')
            --end;
        line.text = trimmed(std::string_view(m_at, std::size_t(end - m_at)));
        if (equals) {
            // The "=" is inside the line's text, whose ends are trimmed already: the key is
            // trimmed at its end only, the value at its beginning.
            const char* const textEnd = line.text.data() + line.text.size();
            const char* keyEnd = equals;
            while (keyEnd != line.text.data() && (keyEnd[-1] == ' ' || keyEnd[-1] == '\t'))
                --keyEnd;
            const char* value = equals + 1;
            while (value != textEnd && (*value == ' ' || *value == '\t'))
                ++value;
            line.key = std::string_view(line.text.data(), std::size_t(keyEnd - line.text.data()));
            line.value = std::string_view(value, std::size_t(textEnd - value));
        } else {
            line.key = line.text;
            line.value = {};
        }
        m_at = after;
        ++m_number;
        return true;
    }
    int number() const { return m_number; }

private:
    // The end of the line from m_at (its LF, or the end of the text), and its first "=" in
    // `equals` when it has one. A line of a statement is a few dozen bytes: both are looked for
    // in one pass.
    const char* find(const char*& equals) const
    {
        const char* p = m_at;
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i eq = _mm_set1_epi8('=');
        for (; m_end - p >= 16; p += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const auto ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
            auto signs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, eq)));
            if (!equals && signs != 0) {
                if (ends != 0)
                    signs &= (ends & (0u - ends)) - 1; // those before the line end only
                if (signs != 0)
                    equals = p + __builtin_ctz(signs);
            }
            if (ends != 0)
                return p + __builtin_ctz(ends);
        }
#endif
        for (; p != m_end; ++p) {
            if (*p == '\n')
                return p;
            if (*p == '=' && !equals)
                equals = p;
        }
        return m_end;
    }

    const char* m_at;
    const char* m_end;
    int m_number = 0;
};

// Whether the header says the file is in the DOS code page.
bool saysDos(std::string_view bytes);

} // namespace bank::statement
