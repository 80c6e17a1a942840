#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pelanova::zengin {

// Zengin general transfer (総合振込) files: 120-byte Shift-JIS records of one
// header (1), data records (2), one trailer (8) and one end record (9).
inline constexpr size_t kRecordSize = 120;

enum RecordKind : int { Header = 1, Data = 2, Trailer = 8, End = 9 };

enum class FieldKind {
    Number,   // strict: an invalid value stops the import
    Number64, // strict, but 64-bit: the amounts (10 digits) and the trailer's total (12)
    Lenient, // an invalid value reads as -1
    Text,    // the exact bytes, trailing blanks included
};

struct Field
{
    const char *column; // column of the record table that receives the value
    int pos;            // 1-based byte position
    int width;          // in bytes
    FieldKind kind;
};

// The fields of a record kind in the order of its table; empty for other kinds.
std::span<const Field> layout(int kind);

// The field of a kind's layout that fills the named column; std::logic_error
// when there is none.
const Field &fieldOf(int kind, std::string_view column);

// The transfer amount of a data record: 1 yen up to what its 10 digits hold.
inline constexpr int64_t kMaxAmount = 9'999'999'999;
constexpr bool isTransferAmount(int64_t amount) { return amount >= 1 && amount <= kMaxAmount; }

// Deposit types a bank accepts in a record: 1 普通, 2 当座, 4 貯蓄, 9 その他.
constexpr bool isDepositType(int64_t code) { return code == 1 || code == 2 || code == 4 || code == 9; }

// The record kind: the first byte read as a lenient number (-1 for none).
int recordKind(std::string_view block);

// Strict number: leading blanks skipped, an optional sign, then digits only,
// within a 32-bit signed integer. Nothing for anything else.
std::optional<int32_t> parseNumber(std::string_view field);
// The same rule over 64 bits (the trailer's total amount).
std::optional<int64_t> parseNumber64(std::string_view field);
int32_t parseLenient(std::string_view field);

class FormatError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One column value split from a block: a number, or text as UTF-8 (decoded
// losslessly from CP932, so it encodes back to the same bytes).
struct Value
{
    bool isText = false;
    int64_t number = 0;
    std::string text;
};

// Splits a 120-byte block of the given kind into its column values (reusing
// out's storage). Throws FormatError for an invalid strict number.
void split(std::string_view block, int kind, std::vector<Value> &out);

// The raw bytes of a field of a block.
std::string_view field(std::string_view block, int pos, int width);

// --- The file as a whole ---------------------------------------------------

// How a transfer file lays its records out on disk. Facilities' software
// writes the 120-byte records back to back, or with the same line break after
// every record (the last one may lack it); either form may end in one
// end-of-file byte 0x1A.
struct FileForm
{
    std::string_view lineBreak; // "", "\r\n", "\n" or "\r"
    int64_t records = 0;
    bool lastBreak = false;     // the break after the last record is present
    bool eofByte = false;       // a 0x1A closes the file
};

inline constexpr char kEofByte = '\x1A';

// The form of a file of `size` bytes from its first bytes (up to 122) and its
// last byte; nothing when the size fits no form. Whether every record keeps
// the form is seen only while reading (RecordReader).
std::optional<FileForm> detectFileForm(int64_t size, std::string_view head, char last);
// The same from an open file of `size` bytes, which is left at its start.
std::optional<FileForm> detectFileForm(std::FILE *file, int64_t size);

// Reads the records of a file of a known form and checks, record by record,
// that the form holds: the break after each record, and no line-break byte
// inside a record.
class RecordReader
{
public:
    enum class Result { Record, Done, BadForm, ReadError };

    RecordReader(std::FILE *file, const FileForm &form);
    // On Record, `record` views the next 120 bytes (valid until the next call).
    Result next(std::string_view &record);

private:
    std::FILE *m_file;
    FileForm m_form;
    int64_t m_read = 0;
    char m_block[kRecordSize + 2];
};

// --- Building records -----------------------------------------------------

// Text rule: the value's CP932 bytes right-aligned in blanks; of a longer value
// the first width bytes. Characters without a CP932 form become '?'.
std::string textField(std::string_view utf8, int width);
// Decimal digits zero-padded to width. Throws std::out_of_range for a negative
// value or one that does not fit.
std::string numberField(int64_t value, int width);

// The consignor's account as the header carries it (its M_銀行 row).
struct ConsignorFields
{
    std::string code;         // 委託者コード
    std::string name;         // 委託者名
    int64_t bankNumber = 0;   // 銀行番号
    std::string bankName;     // 銀行名
    int64_t branchNumber = 0; // 支店番号
    std::string branchName;   // 支店名
    int64_t accountType = 0;  // 預金種目
    std::string account;      // 口座番号
};

// One destination account as a data record carries it (a line of the
// aggregation: 振込銀行番号 … 振込先名).
struct TransferFields
{
    int64_t bankNumber = 0;   // 振込銀行番号
    std::string bankName;     // 振込銀行名
    int64_t branchNumber = 0; // 振込支店番号
    std::string branchName;   // 振込支店名
    int64_t accountType = 0;  // 預金項目
    std::string account;      // 口座番号
    std::string payee;        // 振込先名
};

// The form in which the consignor's bank reads a merged file. Banks differ on
// two fills of the data record and on line breaks; the default is blanks in
// both fills and the records back to back.
struct BankFileForm
{
    bool clearingHouseZeros = false; // 手形交換所番号 (39-42): "0000" instead of 4 blanks
    char designation = ' ';          // 振込指定区分 (112): ' ', '7' (電信) or '8' (文書)
    std::string lineBreak;           // after every record: "" or "\r\n"

    std::string_view clearingHouse() const { return clearingHouseZeros ? "0000" : "    "; }
    bool operator==(const BankFileForm &) const = default;
};

// The form from the stored values of the three settings (ClearingHouse "0"/"1",
// Designation "0"/"7"/"8", LineBreak "0"/"1"); a missing or unknown value
// gives that item's default.
BankFileForm bankFileForm(std::string_view clearingHouse, std::string_view designation, std::string_view lineBreak);

std::string buildHeader(const ConsignorFields &consignor, int transferRequestDate);
std::string buildData(const TransferFields &transfer, int64_t amount, const BankFileForm &form = {});
std::string buildTrailer(int64_t count, int64_t total);
std::string buildEnd();

} // namespace pelanova::zengin
