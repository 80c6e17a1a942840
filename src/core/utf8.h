#pragma once

#include <string>
#include <string_view>

namespace pelanova::utf8 {

void append(std::string &out, char32_t cp);

// Reads one code point at pos and advances pos. Returns U+FFFFFFFF on
// malformed input (pos still advances by one byte).
constexpr char32_t kInvalid = 0xFFFFFFFF;
char32_t next(std::string_view s, size_t &pos);

} // namespace pelanova::utf8
