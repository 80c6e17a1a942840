#pragma once

// Statements are written once for both engines; on a PostgreSQL server their
// ":name" and "?" parameters become $n, FIRST(value, order) the first element
// of an ordered ARRAY_AGG, and the tables' column kinds the server's (64-bit
// integers, text compared by code point).

#include <string>
#include <string_view>
#include <vector>

namespace pelanova::sql::detail {

struct Translated
{
    std::string sql;
    std::vector<std::string> names; // parameter $k+1's name (":name", or "?" for a positional one)
};

// A statement in the server's terms, with its parameters' names in order.
Translated translate(std::string_view source);

// A script whose CREATE TABLE statements get the server's column kinds; the
// rest goes as written.
std::string serverScript(std::string_view script);

} // namespace pelanova::sql::detail
