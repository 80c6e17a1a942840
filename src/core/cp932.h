#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelanova::cp932 {

// Shift-JIS (Windows code page 932) <-> UTF-8.
//
// Decoding is lossless: encode(decode(bytes)) == bytes for every byte string.
// Byte sequences that do not survive CP932 -> Unicode -> CP932 unchanged
// (invalid bytes, unmapped codes, the codes CP932 maps twice such as the NEC
// selected IBM extensions) decode to U+F700 + byte, one character per byte.
// CP932's own user-defined area (U+E000..U+E757) is left to CP932.

constexpr char32_t kRawByteBase = 0xF700;

std::string decode(std::string_view cp932);

// UTF-8 to CP932. Returns nothing when a character has no CP932 form or the
// input is not valid UTF-8.
std::optional<std::string> encode(std::string_view utf8);

// As encode(), with '?' in place of every character that has no CP932 form.
std::string encodeLossy(std::string_view utf8);

// True when the byte is a lead byte of a double-byte CP932 character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace pelanova::cp932
