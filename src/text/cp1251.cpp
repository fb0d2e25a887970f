#include "text/cp1251.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace cp1251 {
namespace {

// Characters of the bytes 0x80 … 0xFF.
constexpr std::array<char16_t, 128> UpperHalf = { 0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020,
    0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD,
    0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454,
    0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424,
    0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431,
    0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E,
    0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B,
    0x044C, 0x044D, 0x044E, 0x044F };

struct Tables
{
    // UTF-8 bytes of each upper-half byte, and their count.
    std::array<std::array<char, 3>, 128> utf8{};
    std::array<unsigned char, 128> utf8Length{};
    // (character, byte) sorted by character, for encoding.
    std::array<std::pair<char16_t, unsigned char>, 128> reverse{};

    Tables()
    {
        for (int i = 0; i < 128; ++i) {
            const char16_t c = UpperHalf[i];
            if (c < 0x800) {
                utf8[i] = { char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F)), 0 };
                utf8Length[i] = 2;
            } else {
                utf8[i] = { char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F)) };
                utf8Length[i] = 3;
            }
            reverse[i] = { c, static_cast<unsigned char>(0x80 + i) };
        }
        std::sort(reverse.begin(), reverse.end());
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

// The byte of a character, or -1 when the code page has none.
int byteOf(char32_t c)
{
    if (c < 0x80)
        return static_cast<int>(c);
    if (c >= 0x0410 && c <= 0x044F) // the Russian alphabet without Ё/ё
        return static_cast<int>(c - 0x0410 + 0xC0);
    if (c > 0xFFFF)
        return -1;
    const auto& reverse = tables().reverse;
    const auto it = std::lower_bound(
        reverse.begin(), reverse.end(), std::pair<char16_t, unsigned char>(char16_t(c), 0));
    if (it != reverse.end() && it->first == c)
        return it->second;
    return -1;
}

// Reads one UTF-8 character at position i and advances i; U+FFFFFFFF for a broken sequence.
char32_t nextCodePoint(std::string_view s, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t c = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++i;
        return 0xFFFFFFFF;
    }
    if (i + length > s.size()) {
        i = s.size();
        return 0xFFFFFFFF;
    }
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) {
            i += k;
            return 0xFFFFFFFF;
        }
        c = (c << 6) | (next & 0x3F);
    }
    i += length;
    return c;
}

} // namespace

void decodeAppend(std::string_view bytes, std::string& utf8)
{
    // A short text, as most fields are, is read once into a buffer on the stack and appended in
    // one piece.
    constexpr std::size_t Short = 256;
    if (bytes.size() <= Short) {
        char buffer[3 * Short];
        utf8.append(buffer, std::size_t(decodeTo(bytes, buffer) - buffer));
        return;
    }
    std::size_t upper = 0;
    for (const char c : bytes)
        upper += static_cast<unsigned char>(c) >> 7;
    if (upper == 0) {
        utf8.append(bytes);
        return;
    }
    // Room for the longest result, written in place: a long Cyrillic text costs no more per letter
    // than a number does. Three bytes for each upper-half byte are room enough for decodeTo(),
    // which copies three for each.
    const std::size_t at = utf8.size();
    utf8.resize(at + bytes.size() + 2 * upper);
    utf8.resize(std::size_t(decodeTo(bytes, utf8.data() + at) - utf8.data()));
}

char* decodeTo(std::string_view bytes, char* out)
{
    const Tables& t = tables();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            *out++ = c;
            continue;
        }
        std::memcpy(out, t.utf8[b - 0x80].data(), 3);
        out += t.utf8Length[b - 0x80];
    }
    return out;
}

std::string decode(std::string_view bytes)
{
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 2);
    decodeAppend(bytes, result);
    return result;
}

void encodeAppend(std::string_view utf8, std::string& bytes)
{
    std::size_t i = 0;
    while (i < utf8.size()) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            // Runs of ASCII go across in one piece.
            std::size_t j = i + 1;
            while (j + 8 <= utf8.size()) {
                std::uint64_t word;
                std::memcpy(&word, utf8.data() + j, 8);
                if (word & 0x8080808080808080ULL)
                    break;
                j += 8;
            }
            while (j < utf8.size() && static_cast<unsigned char>(utf8[j]) < 0x80)
                ++j;
            bytes.append(utf8.data() + i, j - i);
            i = j;
            continue;
        }
        const int b = byteOf(nextCodePoint(utf8, i));
        if (b >= 0)
            bytes.push_back(static_cast<char>(b));
    }
}

std::string encode(std::string_view utf8)
{
    std::string result;
    result.reserve(utf8.size());
    encodeAppend(utf8, result);
    return result;
}

unsigned char lowerByte(unsigned char b)
{
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDF))
        return b + 0x20;
    switch (b) {
    case 0x80: return 0x90; // Ђ
    case 0x81: return 0x83; // Ѓ
    case 0x8A: // Љ
    case 0x8C: // Њ
    case 0x8D: // Ќ
    case 0x8E: // Ћ
    case 0x8F: return b + 0x10; // Џ
    case 0xA1: return 0xA2; // Ў
    case 0xA3: return 0xBC; // Ј
    case 0xA5: return 0xB4; // Ґ
    case 0xA8: // Ё
    case 0xAA: // Є
    case 0xAF: return b + 0x10; // Ї
    case 0xB2: return 0xB3; // І
    case 0xBD: return 0xBE; // Ѕ
    default: return b;
    }
}

bool canEncode(char32_t codePoint)
{
    return byteOf(codePoint) >= 0;
}

bool isStorable(std::string_view utf8)
{
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t c = nextCodePoint(utf8, i);
        if (c == U'|' || byteOf(c) < 0)
            return false;
    }
    return true;
}

std::string storableText(std::string_view utf8)
{
    if (isStorable(utf8))
        return std::string(utf8);
    std::string result;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        const char32_t c = nextCodePoint(utf8, i);
        if (c != U'|' && byteOf(c) >= 0)
            result.append(utf8.data() + start, i - start);
    }
    return result;
}

} // namespace cp1251
