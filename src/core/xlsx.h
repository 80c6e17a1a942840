#pragma once

// Excel workbooks of one sheet, written with libxlsxwriter: a bold header
// row that stays in view, columns as wide as their texts, text cells kept as
// text (codes with their leading zeros) and amounts as numbers. The file is
// replaced whole: a failed write leaves the old file, or none.

#include <cstdint>
#include <string>
#include <vector>

namespace pelanova::xlsx {

struct Cell
{
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    std::string text;
    int64_t number = 0;

    static Cell empty() { return {}; }
    static Cell ofText(std::string text) { return {Kind::Text, std::move(text), 0}; }
    static Cell ofNumber(int64_t number) { return {Kind::Number, {}, number}; }
};

struct Column
{
    std::string header;
    // Excel's number format of the column's numbers ("#,##0"); empty: General.
    std::string numberFormat;
    // What the format adds to a number's grouped digits, for the width ("円以上").
    std::string numberSuffix;
};

struct Sheet
{
    std::string name;
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
    // Printed across the paper, the first repeatColumns columns on every page.
    bool landscape = false;
    int repeatColumns = 0;
};

// How many half-width places a text takes (ASCII and half-width katakana one,
// everything else two).
int displayWidth(const std::string &text);

// Writes the sheet as a workbook at path. Throws FileWriteError.
void writeWorkbook(const std::string &path, const Sheet &sheet);

} // namespace pelanova::xlsx
