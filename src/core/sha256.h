#pragma once

// SHA-256 (FIPS 180-4) of bytes, for the record of bank files: the hash of a
// file written and the fingerprint of the lines it was made from.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelanova {

class Sha256
{
public:
    Sha256();
    void add(std::string_view bytes);
    // The digest as 64 lower-case hex digits; the object is then spent.
    std::string hex();

private:
    void block(const unsigned char *p);

    std::array<uint32_t, 8> m_state;
    unsigned char m_buffer[64];
    size_t m_buffered = 0;
    uint64_t m_length = 0; // bytes added
};

std::string sha256Hex(std::string_view bytes);
// Of a file's bytes; empty when the file cannot be read.
std::string sha256OfFile(const std::string &path);

} // namespace pelanova
