#pragma once

// What the bytes of a statement file are: which code page, whether they hold control characters,
// and their lines, keys and values. For the statement reader; everyone else uses bank_statement.h.

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

// Whether `size` bytes at `a` and at `b` are the same; the keys compared are a few words long.
inline bool sameBytes(const char* a, const char* b, std::size_t size)
{
    for (; size >= 8; a += 8, b += 8, size -= 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y)
            return false;
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
    // The value in UTF-8, kept in the store; tabs inside it become blanks.
    std::string_view keep(std::string_view bytes, TextStore& store) const;

    Key key(std::string_view bytes) const
    {
        if (bytes.size() >= m_bySize.size())
            return Key::Other;
        for (const auto& [name, key] : m_bySize[bytes.size()])
            if (sameBytes(name.data(), bytes.data(), bytes.size()))
                return key;
        return Key::Other;
    }

private:
    void add(std::string name, Key key);

    Kind m_kind;
    std::vector<std::vector<std::pair<std::string, Key>>> m_bySize;
    // The UTF-8 of the bytes 0x80 … 0xFF in the code page, its length in the fourth byte.
    std::array<std::array<char, 4>, 128> m_utf8{};
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
        const std::string_view whole(m_at, std::size_t(end - m_at));
        line.text = trimmed(whole);
        if (equals) {
            const std::size_t at = std::size_t(equals - m_at);
            line.key = trimmed(whole.substr(0, at));
            line.value = trimmed(whole.substr(at + 1));
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
