#pragma once

// Moves an office's data from one own database into another, of either
// engine: a file's into a new server database when the office grows, or back.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelanova::sql {
class Database;
}

namespace pelanova {

// Why a copy did not happen, in Japanese; nothing was written into the target.
struct DatabaseCopyError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

struct CopiedTable
{
    std::string table;
    int64_t rows = 0;
};

// Copies every row of every table of the own database from into to, keeping
// each row's insertion key, in one transaction on to. to is either without
// the system's tables (they are made) or has them all without a row; anything
// else is refused. The row counts of both sides are compared before the
// commit, and the server's numbering goes on after the copied keys.
std::vector<CopiedTable> copyOwnDatabase(const sql::Database &from, sql::Database &to);

} // namespace pelanova
