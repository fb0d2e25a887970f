#pragma once

// SHA-256 of bytes fed in pieces: what names the database a side file's new state belongs to.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256
{
public:
    // On processors with the SHA instructions the blocks go through them, several times faster;
    // `accelerated` false keeps to the plain rounds (the digest is the same).
    explicit Sha256(bool accelerated = true);
    void add(std::string_view bytes);
    // The digest as 64 lower-case hexadecimal digits; the object is spent after it.
    std::string hex();

    static std::string of(std::string_view bytes);

private:
    void blocks(const unsigned char* p, std::size_t count);

    std::array<std::uint32_t, 8> m_state;
    std::array<unsigned char, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;
    bool m_accelerated;
};
