#pragma once

#include <stdexcept>
#include <string>

namespace pelanova::sql {
class Database;
}

namespace pelanova::bankmaster {

// The bank master: T_銀行マスタ with the text columns 銀行番号, 銀行名,
// 支店番号 and 支店名, looked up by the numeric values of the two numbers.

// Opens the bank master at path on connection: the table of an SQLite
// database, or of an Access database (known by its content, whatever the
// file's name), copied into a read-only database in memory whose index serves
// the look-up by INT(銀行番号) and INT(支店番号). False, with the connection
// closed, for a missing file, a file that is neither kind of database, and a
// database without the table or one of its four columns.
bool connect(sql::Database &connection, const std::string &path);

// Copies a table of an Access database into db under the same name, with the
// same columns; numbers stay numbers. Throws on failure.
void loadAccessTable(sql::Database &db, const std::string &path, const std::string &table);

// A refused source or output of build(); the message is the user's.
class BuildError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct BuildCounts
{
    int banks = 0;
    int branches = 0;
};

// Builds a bank master database at out from the public bank code list in the
// form of the npm package zengin-code: dir is the unpacked package (holding
// lib/zengin-data.js) or the folder that holds it as package/. One row per
// branch, numbers as text of digits (0001, 001), kanji names in 銀行名 and
// 支店名, the package's katakana in 銀行名カナ and 支店名カナ. out is written
// whole or not at all (built beside it, then renamed over it).
BuildCounts build(const std::string &dir, const std::string &out);

} // namespace pelanova::bankmaster
