#pragma once

// The one reading of a general-transfer file: its form, its records and what
// a bank would refuse in it, or may change. The import and the check both read
// a file through it, so that a file the import refuses is an error of the
// check in the same words; which findings refuse an import is said here too.
// It reads a file in every form the import accepts and changes no byte.

#include "core/records.h"
#include "core/zenginnames.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pelanova::sql {
class Database;
}

namespace pelanova::zengin {

enum class Severity {
    Error,   // the bank refuses the file
    Warning, // banks differ, or the bank converts the value
    Caution, // a milder warning: only some banks refuse it
};

// "error", or "warning" for both kinds of warning.
std::string_view severityName(Severity severity);

// What a finding is about; refusesImport() says which of them keep a file
// from being imported.
enum class Problem {
    FileSize,       // the size fits no form of 120-byte records
    BrokenForm,     // the line breaks between records break off
    LoneLineBreak,  // LF or CR alone after every record
    NoRecords,
    RecordKind,     // a record of no Zengin kind
    RecordOrder,    // header, data, trailer, end out of order or repeated
    MissingRecords, // no header, trailer or end record
    NoDataRecords,
    FileKind,       // not a general transfer (種別コード)
    CodeDivision,   // not Shift-JIS (コード区分)
    NotNumeric,     // letters, signs or blanks where digits belong
    LeadingBlanks,  // digits after leading blanks in a number the bank file writes afresh
    Account,        // an account number that is not 7 digits
    DepositType,
    MonthDay,       // 引落日 is no month and day
    TransferDate,   // 引落日 differs from the transfer date checked against
    RequestDate,    // 引落日 differs from the import's transfer request date
    Holiday,        // the transfer date is a bank holiday
    UnknownBank,
    UnknownBranch,
    NameCharacter,  // a character of a name with no Zengin form
    NameConverted,  // a character of a name the bank converts
    NameSymbol,     // a symbol only some banks accept
    SoundMark,      // ﾞ or ﾟ after a character that cannot take it
    ClearingHouse,
    Designation,
    SignedAmount,
    ZeroAmount,
    TrailerCount,
    TrailerTotal,
};

struct Finding
{
    int64_t record = 0;  // from 1; 0 for a finding about the whole file
    std::string column;  // the field's column in the record tables; empty for the whole file
    Severity severity = Severity::Error;
    Problem problem = Problem::FileSize;
    std::string found;   // the field's bytes as the file holds them
    std::string message; // a Japanese sentence (UTF-8)
};

// Whether a finding keeps a facility's file from being imported: what would
// reach the bank wrong. The file's structure, every value that the merged
// file carries over as it stands (the consignor's code and account, which
// become its master, account numbers, names), and a number holding a letter
// or a sign. A number that the bank file writes afresh from its value and
// that only carries leading blanks, an amount of 0 (the bank file leaves the
// line out), and the fills the bank file writes anew do not refuse it.
bool refusesImport(const Finding &finding);

// The bank and branch codes of a bank master.
class BankCodes
{
public:
    void add(int64_t bank, int64_t branch);
    bool empty() const { return m_banks.empty(); }
    bool hasBank(int64_t bank) const { return m_banks.count(bank) != 0; }
    bool hasBranch(int64_t bank, int64_t branch) const { return m_branches.count(key(bank, branch)) != 0; }

private:
    static int64_t key(int64_t bank, int64_t branch) { return bank * 100000 + branch; }
    std::unordered_set<int64_t> m_banks;
    std::unordered_set<int64_t> m_branches;
};

// The codes of T_銀行マスタ; none when the connection is closed.
BankCodes readBankCodes(const sql::Database &bankMaster);

struct CheckOptions
{
    // The transfer date (yyyymmdd): the header's 引落日 must be its month and
    // day, and it must be a bank business day.
    std::optional<int> transferDate;
    // The import's transfer request date (yyyymmdd): as transferDate, with
    // the import's own sentence for a header of another day.
    std::optional<int> requestDate;
    // Without either date, the day (yyyymmdd) from which the header's month
    // and day are taken to be the next such date; 0 leaves the business-day
    // rule out.
    int today = 0;
    // Bank and branch codes not in it are reported; null or empty: no such check.
    const BankCodes *bankCodes = nullptr;
    // At most this many findings that refuse an import, and this many that
    // do not, are kept; the rest are only counted (0: all are kept). A file
    // with a finding on every record then reads in flat memory.
    size_t keep = 0;
};

struct CheckResult
{
    std::vector<Finding> findings; // in the file's order (those kept, CheckOptions::keep)
    int64_t records = 0;           // records read
    size_t errors = 0;
    size_t warnings = 0;           // both kinds of warning
    size_t refusals = 0;           // findings that refuse an import
    size_t notices = 0;            // findings that do not

    bool hasErrors() const { return errors != 0; }
};

class Checker;

// Reads a file record by record, checking each as it is read: the import
// stores what it reads while the findings grow, and refuses the file at its
// end when any of them refuses it.
class TransferReader
{
public:
    // Throws std::runtime_error when the file cannot be opened.
    TransferReader(const std::string &path, const CheckOptions &options);
    // Reads bytes that outlive the reader.
    TransferReader(std::string_view bytes, const CheckOptions &options);
    ~TransferReader();
    TransferReader(const TransferReader &) = delete;
    TransferReader &operator=(const TransferReader &) = delete;

    // The records that the file's size and form promise (0 when the size fits no form).
    int64_t expectedRecords() const;
    // Reads and checks the next record (valid until the next call); false at
    // the end of the file or where its form breaks off, the findings then
    // being complete. Throws std::runtime_error when the file cannot be read.
    bool next(std::string_view &record);
    const CheckResult &result() const;
    // The findings so far that refuse an import.
    size_t refusals() const { return result().refusals; }

private:
    void open(int64_t size, const CheckOptions &options);

    std::FILE *m_file = nullptr;
    std::optional<FileForm> m_form;
    std::optional<RecordReader> m_reader;
    std::unique_ptr<Checker> m_checker;
    int64_t m_read = 0;
    bool m_done = false;
};

CheckResult checkTransferBytes(std::string_view bytes, const CheckOptions &options);
// Throws std::runtime_error when the file cannot be opened or read.
CheckResult checkTransferFile(const std::string &path, const CheckOptions &options);

// The findings of a check that refuse an import (refusesImport), or the others.
std::vector<Finding> importRefusals(const CheckResult &result);
std::vector<Finding> importNotices(const CheckResult &result);

// One finding as a line of TSV (without the line break): the record number
// (empty for the whole file), the column, the severity name and the sentence.
std::string findingLine(const Finding &finding);

// Findings for a message box, one a line after "\n\r": "［エラー］レコード3
// 口座番号：sentence"; at most `limit` of them, then "ほか N件" for the rest
// of `total` (the findings' number when 0).
inline constexpr size_t kListedFindings = 20;
std::string findingList(const std::vector<Finding> &findings, size_t total = 0, size_t limit = kListedFindings);

} // namespace pelanova::zengin
