// How the bytes of a statement are told apart: UTF-8 or not, control characters, UTF-16, and the
// keys and values of each code page.

#include "accounts/bank_statement_bytes.h"

#include "database/cp1251.h"
#include "database/cp866.h"

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
    for (int b = 0x80; b < 0x100; ++b) {
        const std::string one(1, char(b));
        const std::string utf8 = kind == Dos ? cp866::decode(one)
            : kind == Windows                ? cp1251::decode(one)
                                             : one;
        std::array<char, 4>& entry = m_utf8[std::size_t(b - 0x80)];
        const std::size_t length = std::min<std::size_t>(utf8.size(), 3);
        std::memcpy(entry.data(), utf8.data(), length);
        entry[3] = char(length);
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

std::string_view Encoding::keep(std::string_view bytes, TextStore& store) const
{
    if (bytes.empty())
        return {};
    // Room for the longest result, and for writes of 16 bytes at a time past its end.
    char* const begin = store.room((m_kind == Utf8 ? 1 : 3) * bytes.size() + 16);
    char* out = begin;
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    bool tabs = false;
    while (in != end) {
#if defined(__SSE2__)
        // Runs of ASCII, and any UTF-8, go across as they are.
        if (end - in >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            tabs = tabs || _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))) != 0;
            if (m_kind == Utf8 || _mm_movemask_epi8(v) == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
                in += 16;
                out += 16;
                continue;
            }
        }
#endif
        const char* const stop = in + std::min<std::ptrdiff_t>(16, end - in);
        for (; in != stop; ++in) {
            const auto b = static_cast<unsigned char>(*in);
            if (b < 0x80 || m_kind == Utf8) {
                tabs = tabs || b == '\t';
                *out++ = *in;
                continue;
            }
            const std::array<char, 4>& utf8 = m_utf8[b - 0x80];
            std::memcpy(out, utf8.data(), 4);
            out += utf8[3];
        }
    }
    if (tabs)
        std::replace(begin, out, '\t', ' ');
    return store.commit(std::size_t(out - begin));
}

void Encoding::add(std::string name, Key key)
{
    if (m_bySize.size() <= name.size())
        m_bySize.resize(name.size() + 1);
    m_bySize[name.size()].emplace_back(std::move(name), key);
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
