#pragma once

// Comma-separated files as the offices' spreadsheets read and write them:
// written in CP932 with CR LF line ends, read in CP932 or UTF-8 (with or
// without a byte order mark), fields quoted with '"' when they hold a comma,
// a quote, a line break or blanks at an end.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pelanova::csv {

using Row = std::vector<std::string>;

// A file that cannot be read as text of either form; the message says so in Japanese.
class ReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A field that CP932 cannot hold: its row and column (from 0) and its text.
class EncodingError : public std::runtime_error
{
public:
    EncodingError(size_t row, size_t column, std::string text)
        : std::runtime_error("Shift-JIS（CP932）で書けない文字があります。"), row(row), column(column),
          text(std::move(text)) {}
    size_t row;
    size_t column;
    std::string text;
};

enum class Encoding { Cp932, Utf8, Utf8Bom };

// A line of the file: the line number (from 1) it starts on, and its fields.
struct Record
{
    int line = 0;
    Row fields;
};

// The file's bytes as UTF-8: a byte order mark means UTF-8; valid UTF-8 is
// taken as it is; anything else must be well-formed CP932 (decoded byte-exact,
// as transfer files are). Throws ReadError otherwise (a NUL byte included,
// so that UTF-16 is refused too).
std::string decodeText(std::string_view bytes, Encoding *found = nullptr);

// The records of decoded text. Lines may end in CR LF, LF or CR; a quoted
// field may hold line breaks; lines without any text are skipped.
std::vector<Record> parse(std::string_view text);

// One line of fields (UTF-8), with CR LF.
std::string formatLine(const Row &fields);

// The rows as a CP932 file. Throws EncodingError at the first field that CP932
// cannot hold.
std::string encodeCp932(const std::vector<Row> &rows);

} // namespace pelanova::csv
