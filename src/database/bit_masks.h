#pragma once

// Counting and finding the set bits of the 16-bit masks that a look at 16 bytes at once gives
// (one bit for each byte that is, say, a separator). The plain x86-64 processor has no
// instruction for counting bits, and a call for each 16 bytes would cost more than the look.

#include <array>
#include <cstdint>

namespace bitmasks {

inline constexpr std::array<std::uint8_t, 256> Counts = [] {
    std::array<std::uint8_t, 256> counts{};
    for (unsigned i = 0; i < 256; ++i)
        counts[i] = std::uint8_t((i & 1) + counts[i / 2]);
    return counts;
}();

// The position of the k-th set bit (from 0) of each byte.
inline constexpr std::array<std::array<std::uint8_t, 8>, 256> Positions = [] {
    std::array<std::array<std::uint8_t, 8>, 256> positions{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned k = 0;
        for (unsigned b = 0; b < 8; ++b)
            if (i & (1u << b))
                positions[i][k++] = std::uint8_t(b);
    }
    return positions;
}();

inline unsigned count(unsigned mask16)
{
    return Counts[mask16 & 0xFF] + Counts[mask16 >> 8];
}

// The position of the k-th set bit (from 0) of a mask that has more than k.
inline unsigned position(unsigned mask16, unsigned k)
{
    const unsigned low = Counts[mask16 & 0xFF];
    return k < low ? Positions[mask16 & 0xFF][k] : 8 + Positions[mask16 >> 8][k - low];
}

} // namespace bitmasks
