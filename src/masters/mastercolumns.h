#pragma once

// The columns of each master as its files carry them: their names, keys and
// kinds, and how a value of each kind is read, checked, compared and stored.
// The masters' files (masterfiles) are made of these.

#include "masters/masterfiles.h"
#include "masters/masterrules.h"

#include <string>
#include <vector>

namespace pelanova::sql {
class Statement;
}

namespace pelanova::masters::columns {

// How a column's values are read, checked, compared and stored.
enum class Kind {
    FacilityCode, // integer, written as it is
    FacilityName, // text that may not be empty
    FileName,     // text of at most 20 characters, blanks only: NULL
    Code,         // text of digits with leading zeros (委託者コード, 口座番号)
    NumberCode,   // integer written with leading zeros (銀行番号, 支店番号)
    AccountType,  // 1, 2 or 9
    Category,     // 0 or 1
    Amount,       // whole yen; empty, 0 and NULL alike
    KanaName,     // text from the transfer records, padded with blanks
    KanjiName,    // text or NULL
};

struct ColumnLayout
{
    std::string name;
    Kind kind;
    int digits = 0;
    bool key = false;
};

struct MasterLayout
{
    const char *table;
    std::vector<ColumnLayout> columns;
    const char *order;
};

const MasterLayout &layoutOf(MasterKind kind);

bool isInteger(Kind kind);

// A column's value as the file writes it, from a stored row.
std::string storedValue(const sql::Statement &st, const ColumnLayout &column);

// A cell of the file as the stored value it means (checked before).
std::string fileValue(const std::string &cell, const ColumnLayout &column);

rules::Fault cellFault(const std::string &cell, const ColumnLayout &column);

// Blanks that pad a name to its field are no change.
bool sameValue(const std::string &a, const std::string &b, Kind kind);

// What a new row holds in a column the file does not have.
std::string defaultValue(MasterKind kind, const ColumnLayout &column, const ImportDefaults &defaults);

void bindValue(sql::Statement &st, int index, const std::string &value, const ColumnLayout &column);

} // namespace pelanova::masters::columns
