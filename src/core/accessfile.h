#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelanova::access {

// Access database files (Jet 3 and 4, ACE), read through mdbtools.

class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// True when the file begins as a Jet or ACE database does, whatever its name.
bool isAccessDatabase(const std::string &path);

enum class ColumnKind { Integer, Real, Text, Other };

struct Column
{
    std::string name; // UTF-8
    ColumnKind kind = ColumnKind::Other;
};

// A whole table. A value is its text (numbers in decimal, text in UTF-8, Jet 3
// text read as CP932); nothing for NULL and for binary values.
struct Table
{
    std::vector<Column> columns;
    std::vector<std::vector<std::optional<std::string>>> rows;
};

// Reads every row of the table (its name matched without regard to ASCII
// case). Throws Error when the file is no Access database or has no such table.
Table readTable(const std::string &path, const std::string &table);

} // namespace pelanova::access
