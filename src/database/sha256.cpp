#include "database/sha256.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TERVOLIN_SHA_INSTRUCTIONS 1
#endif

namespace {

constexpr std::uint32_t K[64]
    = { 0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
          0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
          0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
          0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
          0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
          0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
          0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
          0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2 };

constexpr std::uint32_t rotr(std::uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

void plainBlock(std::array<std::uint32_t, 8>& state, const unsigned char* p);

#ifdef TERVOLIN_SHA_INSTRUCTIONS
bool haveShaInstructions()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_SSE4_1) || !(c & bit_SSSE3))
        return false;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return (b & (1u << 29)) != 0;
}

// The same rounds through the SHA instructions: the state kept as ABEF and CDGH, four rounds'
// message words to a vector.
__attribute__((target("sha,sse4.1,ssse3"))) void shaBlocks(
    std::array<std::uint32_t, 8>& state, const unsigned char* p, std::size_t count)
{
    const __m128i mask = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
    __m128i state1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);
    for (; count > 0; --count, p += 64) {
        const __m128i abef = state0;
        const __m128i cdgh = state1;
        __m128i msg[4];
        for (int i = 0; i < 16; ++i) {
            if (i < 4) {
                msg[i]
                    = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), mask);
            } else {
                const __m128i earlier = _mm_sha256msg1_epu32(msg[i % 4], msg[(i + 1) % 4]);
                const __m128i middle = _mm_alignr_epi8(msg[(i + 3) % 4], msg[(i + 2) % 4], 4);
                msg[i % 4] = _mm_sha256msg2_epu32(_mm_add_epi32(earlier, middle), msg[(i + 3) % 4]);
            }
            __m128i words
                = _mm_add_epi32(msg[i % 4], _mm_loadu_si128(reinterpret_cast<const __m128i*>(K + 4 * i)));
            state1 = _mm_sha256rnds2_epu32(state1, state0, words);
            words = _mm_shuffle_epi32(words, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, words);
        }
        state0 = _mm_add_epi32(state0, abef);
        state1 = _mm_add_epi32(state1, cdgh);
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);
    state1 = _mm_shuffle_epi32(state1, 0xB1);
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);
    state1 = _mm_alignr_epi8(state1, tmp, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}
#endif

} // namespace

Sha256::Sha256(bool accelerated)
    : m_state{ 0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab,
          0x5be0cd19 },
      m_accelerated(accelerated)
{
#ifdef TERVOLIN_SHA_INSTRUCTIONS
    static const bool available = haveShaInstructions();
    m_accelerated = m_accelerated && available;
#else
    m_accelerated = false;
#endif
}

Sha256::Sha256(const Midstate& from) : Sha256()
{
    m_state = from.state;
    m_length = from.length;
}

void Sha256::blocks(const unsigned char* p, std::size_t count)
{
#ifdef TERVOLIN_SHA_INSTRUCTIONS
    if (m_accelerated) {
        shaBlocks(m_state, p, count);
        return;
    }
#endif
    for (; count > 0; --count, p += 64)
        plainBlock(m_state, p);
}

namespace {

void plainBlock(std::array<std::uint32_t, 8>& m_state, const unsigned char* p)
{
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(p[4 * i]) << 24 | std::uint32_t(p[4 * i + 1]) << 16
            | std::uint32_t(p[4 * i + 2]) << 8 | std::uint32_t(p[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    std::uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1
            = h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + K[i] + w[i];
        const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
    m_state[5] += f;
    m_state[6] += g;
    m_state[7] += h;
}

} // namespace

void Sha256::add(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    m_length += n;
    if (m_buffered > 0) {
        const std::size_t take = std::min(n, m_buffer.size() - m_buffered);
        std::memcpy(m_buffer.data() + m_buffered, p, take);
        m_buffered += take;
        p += take;
        n -= take;
        if (m_buffered < m_buffer.size())
            return;
        blocks(m_buffer.data(), 1);
        m_buffered = 0;
    }
    blocks(p, n / 64);
    p += n / 64 * 64;
    n %= 64;
    std::memcpy(m_buffer.data(), p, n);
    m_buffered = n;
}

std::string Sha256::hex()
{
    const std::uint64_t bits = m_length * 8;
    unsigned char tail[72] = { 0x80 };
    const std::size_t pad = (m_buffered < 56 ? 56 : 120) - m_buffered;
    for (int i = 0; i < 8; ++i)
        tail[pad + std::size_t(i)] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    add(std::string_view(reinterpret_cast<const char*>(tail), pad + 8));
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (const std::uint32_t word : m_state) {
        for (int shift = 28; shift >= 0; shift -= 4)
            text += digits[(word >> shift) & 0xF];
    }
    return text;
}

std::string Sha256::of(std::string_view bytes)
{
    Sha256 hash;
    hash.add(bytes);
    return hash.hex();
}
