#pragma once

// The Zengin check: what a bank would refuse in a general-transfer file, or
// may change, before it goes to the bank. It reads a file in every form the
// import accepts and changes no byte.

#include "core/zenginnames.h"

#include <cstdint>
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

struct Finding
{
    int64_t record = 0;  // from 1; 0 for a finding about the whole file
    std::string column;  // the field's column in the record tables; empty for the whole file
    Severity severity = Severity::Error;
    std::string found;   // the field's bytes as the file holds them
    std::string message; // a Japanese sentence (UTF-8)
};

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
    // Without a transfer date, the day (yyyymmdd) from which the header's
    // month and day are taken to be the next such date; 0 leaves the
    // business-day rule out.
    int today = 0;
    // Bank and branch codes not in it are reported; null or empty: no such check.
    const BankCodes *bankCodes = nullptr;
};

struct CheckResult
{
    std::vector<Finding> findings; // in the file's order
    int64_t records = 0;           // records read
    size_t errors = 0;
    size_t warnings = 0;           // both kinds of warning

    bool hasErrors() const { return errors != 0; }
};

CheckResult checkTransferBytes(std::string_view bytes, const CheckOptions &options);
// Throws std::runtime_error when the file cannot be opened or read.
CheckResult checkTransferFile(const std::string &path, const CheckOptions &options);

// One finding as a line of TSV (without the line break): the record number
// (empty for the whole file), the column, the severity name and the sentence.
std::string findingLine(const Finding &finding);

} // namespace pelanova::zengin
