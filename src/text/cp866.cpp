#include "text/cp866.h"

#include <array>

namespace cp866 {
namespace {

// Characters of the bytes 0x80 … 0xFF: the Russian alphabet in two runs around the box-drawing
// characters, then Ё/ё and a few signs.
constexpr std::array<char16_t, 128> UpperHalf = { 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416,
    0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430,
    0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
    0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551,
    0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558,
    0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441,
    0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E,
    0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A,
    0x2116, 0x00A4, 0x25A0, 0x00A0 };

void appendUtf8(char16_t c, std::string& out)
{
    if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
        return;
    }
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
}

} // namespace

void decodeAppend(std::string_view bytes, std::string& utf8)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            utf8 += c;
        else
            appendUtf8(UpperHalf[b - 0x80], utf8);
    }
}

std::string decode(std::string_view bytes)
{
    std::string result;
    result.reserve(bytes.size() * 2);
    decodeAppend(bytes, result);
    return result;
}

std::string encode(std::string_view utf8)
{
    std::string bytes;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += char(lead);
            ++i;
            continue;
        }
        const std::size_t length = (lead & 0xE0) == 0xC0 ? 2
            : (lead & 0xF0) == 0xE0                      ? 3
            : (lead & 0xF8) == 0xF0                      ? 4
                                                         : 1;
        char32_t c = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        for (std::size_t b = 0; b < UpperHalf.size(); ++b) {
            if (UpperHalf[b] == c) {
                bytes += char(0x80 + b);
                break;
            }
        }
    }
    return bytes;
}

} // namespace cp866
