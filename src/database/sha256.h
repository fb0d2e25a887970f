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

    // The hash part way, after a whole number of 64-byte blocks: a file written again with the
    // same first bytes goes on from there instead of hashing them again.
    struct Midstate
    {
        std::array<std::uint32_t, 8> state{};
        std::uint64_t length = 0;
    };
    explicit Sha256(const Midstate& from);
    // Only when the bytes added so far are a whole number of blocks.
    Midstate midstate() const { return { m_state, m_length }; }
    std::uint64_t length() const { return m_length; }

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
