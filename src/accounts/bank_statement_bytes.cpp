// How the bytes of a statement are told apart: UTF-8 or not, control characters, UTF-16, and the
// keys and values of each code page.

#include "accounts/bank_statement_bytes.h"

#include "matching/folding.h"
#include "text/cp1251.h"
#include "text/cp866.h"

#include <algorithm>

namespace bank::statement {
namespace {

// Whether the 16 bytes at `p` are all ASCII.
bool asciiBlock(const char* p)
{
#if defined(__SSE2__)
    return _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0;
#else
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    return ((a | b) & 0x8080808080808080ull) == 0;
#endif
}

// Whether the bytes are ASCII without tabs; those up to `readable` may be looked at.
bool isAscii(std::string_view bytes, const char* readable)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
#if defined(__SSE2__)
    for (; readable - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto other = static_cast<unsigned>(
            _mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))));
        if (end - p < 16)
            other &= (1u << (end - p)) - 1;
        if (other != 0)
            return false;
        if (end - p <= 16)
            return true;
    }
#else
    (void)readable;
#endif
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80 || *p == '\t')
            return false;
    return true;
}

bool isControl(unsigned char b)
{
    return (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
}

// Whether the 16 bytes at `p` may hold a control character; a false alarm only costs a closer look.
bool mayHoldControl(const char* p)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i below = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(0x1F)), _mm_set1_epi8(0x1F));
    const __m128i allowed = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))),
        _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    const __m128i control
        = _mm_or_si128(_mm_andnot_si128(allowed, below), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)));
    return _mm_movemask_epi8(control) != 0;
#else
    // Bytes below 0x20 exactly: the seven low bits plus 0x60 carry into the eighth from 0x20 on.
    constexpr std::uint64_t Low = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t High = 0x8080808080808080ull;
    for (int half = 0; half < 2; ++half) {
        std::uint64_t w;
        std::memcpy(&w, p + 8 * half, 8);
        const std::uint64_t below = ~(((w & Low) + 0x6060606060606060ull) | w) & High;
        const auto is = [w](std::uint64_t byte) {
            const std::uint64_t x = w ^ (byte * 0x0101010101010101ull);
            return ~(((x & Low) + Low) | x) & High;
        };
        if (((below & ~(is('\t') | is('\r') | is('\n'))) | is(0x7F)) != 0)
            return true;
    }
    return false;
#endif
}

constexpr std::array<std::pair<const char*, Key>, 25> KeyNames = { {
    { "СекцияДокумент", Key::SectionDocument },
    { "СекцияРасчСчет", Key::SectionAccount },
    { "КонецДокумента", Key::EndDocument },
    { "КонецРасчСчет", Key::EndAccount },
    { "КонецФайла", Key::EndFile },
    { "РасчСчет", Key::Account },
    { "Отправитель", Key::Sender },
    { "ДатаНачала", Key::DateFrom },
    { "ДатаКонца", Key::DateTo },
    { "Кодировка", Key::Encoding },
    { "Номер", Key::Number },
    { "Дата", Key::Date },
    { "Сумма", Key::Sum },
    { "ПлательщикСчет", Key::PayerAccount },
    { "Плательщик", Key::Payer },
    { "Плательщик1", Key::Payer1 },
    { "ПлательщикИНН", Key::PayerInn },
    { "ПолучательСчет", Key::PayeeAccount },
    { "ДатаПоступило", Key::Received },
    { "НазначениеПлатежа", Key::Purpose },
    { "НазначениеПлатежа1", Key::Purpose1 },
    { "НазначениеПлатежа2", Key(int(Key::Purpose1) + 1) },
    { "НазначениеПлатежа3", Key(int(Key::Purpose1) + 2) },
    { "НазначениеПлатежа4", Key(int(Key::Purpose1) + 3) },
    { "НазначениеПлатежа5", Key(int(Key::Purpose1) + 4) },
} };

} // namespace

bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        // Most of a statement is ASCII: keys, numbers, dates, accounts.
        if (i + 16 <= s.size() && asciiBlock(s.data() + i)) {
            i += 16;
            continue;
        }
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + std::size_t(length) > s.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += std::size_t(length);
    }
    return true;
}

std::size_t firstControl(std::string_view bytes)
{
    std::size_t i = 0;
    for (; i + 16 <= bytes.size(); i += 16) {
        if (!mayHoldControl(bytes.data() + i))
            continue;
        for (std::size_t k = i; k < i + 16; ++k)
            if (isControl(static_cast<unsigned char>(bytes[k])))
                return k;
    }
    for (; i < bytes.size(); ++i)
        if (isControl(static_cast<unsigned char>(bytes[i])))
            return i;
    return std::string_view::npos;
}

bool looksUtf16(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return true;
    return bytes.size() >= 4
        && ((bytes[0] != 0 && bytes[1] == 0 && bytes[3] == 0)
            || (bytes[0] == 0 && bytes[2] == 0 && bytes[1] != 0));
}

Encoding::Encoding(Kind kind) : m_kind(kind)
{
    for (const auto& [name, key] : KeyNames)
        add(encoded(name), key);
    add(encoded("НазначениеПлатежа6"), Purpose6);
    for (int b = 0; b < 0x100; ++b) {
        const std::string one(1, b == '\t' ? ' ' : char(b));
        const std::string utf8 = kind == Dos ? cp866::decode(one)
            : kind == Windows                ? cp1251::decode(one)
                                             : one;
        std::array<char, 4>& entry = m_utf8[std::size_t(b)];
        const std::size_t length = std::min<std::size_t>(utf8.size(), 3);
        std::memcpy(entry.data(), utf8.data(), length);
        entry[3] = char(length);
    }
    // The folding of each byte's character: what the folding of the value kept in UTF-8 gives,
    // character by character, so that both ways agree to the byte.
    if (kind == Utf8)
        return;
    m_byteFolds = true;
    std::string folded;
    for (int b = 0; b < 0x100; ++b) {
        const std::string one(1, b == '\t' ? ' ' : char(b));
        matching::foldInto(kind == Dos ? cp866::decode(one) : cp1251::decode(one), folded);
        if (folded.size() > 1)
            m_byteFolds = false;
        m_folded[std::size_t(b)] = folded.empty() ? 0 : static_cast<unsigned char>(folded[0]);
        m_foldsTo[std::size_t(b)] = folded.empty() ? 0 : 1;
        m_foldsAll = m_foldsAll && !folded.empty();
    }
    // What the folding of 16 bytes at once takes for granted, checked rather than assumed.
    m_capitalsBelowSmall = kind == Windows && m_byteFolds && m_foldsAll;
    for (int b = 0; b < 0x100 && m_capitalsBelowSmall; ++b) {
        if ((b & 0xC0) == 0x80 || b == '\t')
            continue;
        const bool capital = (b >= 'A' && b <= 'Z') || (b & 0xE0) == 0xC0;
        m_capitalsBelowSmall = m_folded[std::size_t(b)] == (capital ? b + 0x20 : b);
    }
}

const char* Encoding::name() const
{
    switch (m_kind) {
    case Utf8: return "UTF-8";
    case Dos: return "DOS";
    case Windows: return "Windows";
    }
    return "";
}

std::string Encoding::encoded(std::string_view utf8) const
{
    switch (m_kind) {
    case Utf8: return std::string(utf8);
    case Dos: return cp866::encode(utf8);
    case Windows: return cp1251::encode(utf8);
    }
    return {};
}

void Encoding::decodeAppend(std::string_view bytes, std::string& out) const
{
    switch (m_kind) {
    case Utf8: out.append(bytes); return;
    case Dos: cp866::decodeAppend(bytes, out); return;
    case Windows: cp1251::decodeAppend(bytes, out); return;
    }
}

std::string_view Encoding::keep(
    std::string_view bytes, TextStore& store, const char* readable, bool view) const
{
    if (bytes.empty())
        return {};
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    if (m_kind == Utf8) {
        if (view && !std::memchr(in, '\t', bytes.size()))
            return bytes;
        char* const begin = store.room(bytes.size());
        std::memcpy(begin, in, bytes.size());
        if (std::memchr(begin, '\t', bytes.size()))
            std::replace(begin, begin + bytes.size(), '\t', ' ');
        return store.commit(bytes.size());
    }
    if (view && isAscii(bytes, readable))
        return bytes;
    // Room for the longest result, and for writes of 16 bytes at a time past its end.
    char* const begin = store.room(3 * bytes.size() + 16);
    char* out = begin;
    while (in != end) {
#if defined(__SSE2__)
        // A run of ASCII without tabs goes across as it is, 16 bytes at a time: most values are
        // one run. The bytes after the value that a load takes in are not kept.
        if (readable - in >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
            const auto other = static_cast<unsigned>(
                _mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))));
            const auto run = std::min<std::size_t>(
                other == 0 ? 16 : unsigned(__builtin_ctz(other)), std::size_t(end - in));
            in += run;
            out += run;
            if (run == 16 || in == end)
                continue;
        }
#else
        (void)readable;
#endif
        // Then up to 16 bytes through the table: the letters of a Cyrillic text come in runs.
        const char* const stop = in + std::min<std::ptrdiff_t>(16, end - in);
        for (; in != stop; ++in) {
            const std::array<char, 4>& utf8 = m_utf8[static_cast<unsigned char>(*in)];
            std::memcpy(out, utf8.data(), 4);
            out += utf8[3];
        }
    }
    return store.commit(std::size_t(out - begin));
}

void Encoding::fold(std::string_view bytes, std::string& out) const
{
    if (!m_byteFolds) {
        std::string utf8;
        decodeAppend(bytes, utf8);
        std::replace(utf8.begin(), utf8.end(), '\t', ' ');
        matching::foldInto(utf8, out);
        return;
    }
    out.resize(bytes.size());
    if (bytes.empty())
        return;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = in + bytes.size();
    char* o = out.data();
    if (m_foldsAll) {
#if defined(__SSE2__)
        // In Windows-1251 a Latin or Russian capital is its small letter less 0x20: 16 bytes
        // without tabs and without the other letters and signs of 0x80 … 0xBF are folded at once.
        if (m_capitalsBelowSmall) {
            for (; end - in >= 16; in += 16, o += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
                const __m128i signs
                    = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(char(0xC0))), _mm_set1_epi8(char(0x80)));
                const __m128i tabs = _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'));
                if (_mm_movemask_epi8(_mm_or_si128(signs, tabs)) != 0) {
                    for (int k = 0; k < 16; ++k)
                        o[k] = static_cast<char>(m_folded[in[k]]);
                    continue;
                }
                // 'A' … 'Z': v - 'A' below 26, compared as signed bytes after a shift by 0x80.
                const __m128i latin = _mm_cmplt_epi8(
                    _mm_sub_epi8(v, _mm_set1_epi8(char('A' + 0x80))), _mm_set1_epi8(char(26 - 0x80)));
                const __m128i cyrillic
                    = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(char(0xE0))), _mm_set1_epi8(char(0xC0)));
                const __m128i small = _mm_and_si128(_mm_or_si128(latin, cyrillic), _mm_set1_epi8(0x20));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_add_epi8(v, small));
            }
        }
#endif
        for (; in != end; ++in)
            *o++ = static_cast<char>(m_folded[*in]);
    } else {
        for (; in != end; ++in) {
            *o = static_cast<char>(m_folded[*in]);
            o += m_foldsTo[*in];
        }
    }
    out.resize(std::size_t(o - out.data()));
}

void Encoding::add(std::string name, Key key)
{
    Slot slot;
    if (name.empty() || name.size() > slot.name.size())
        return;
    std::memcpy(slot.name.data(), name.data(), name.size());
    slot.size = name.size();
    slot.key = key;
    m_longest = std::max(m_longest, name.size());
    std::size_t at = slotOf(name);
    while (m_slots[at].size != 0)
        at = (at + 1) % Slots;
    m_slots[at] = slot;
}

const Encoding& encoding(Encoding::Kind kind)
{
    static const Encoding utf8(Encoding::Utf8);
    static const Encoding dos(Encoding::Dos);
    static const Encoding windows(Encoding::Windows);
    switch (kind) {
    case Encoding::Utf8: return utf8;
    case Encoding::Dos: return dos;
    case Encoding::Windows: break;
    }
    return windows;
}

bool saysDos(std::string_view bytes)
{
    const Encoding& dos = encoding(Encoding::Dos);
    const Encoding& windows = encoding(Encoding::Windows);
    Lines lines(bytes);
    Line line;
    while (lines.next(line)) {
        const Key inDos = dos.key(line.key);
        const Key inWindows = windows.key(line.key);
        if (inDos == Key::Encoding || inWindows == Key::Encoding)
            return line.value == "DOS";
        if (inDos == Key::SectionDocument || inWindows == Key::SectionDocument || inDos == Key::SectionAccount
            || inWindows == Key::SectionAccount)
            return false;
    }
    return false;
}

} // namespace bank::statement
