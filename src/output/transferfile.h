#pragma once

// The merged Zengin transfer file of one consignor and transfer request date:
// header, one data record per aggregated line with the amount after a fee that
// the recipient bears, trailer, end; 120 Shift-JIS bytes each, nothing between.

#include "core/inifile.h"
#include "core/records.h"
#include "core/zengincheck.h"
#include "core/tesuuryou.h"
#include "output/furikomi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelanova::sql {
class Database;
}

namespace pelanova::output {

// The form in which the consignor's bank reads the file: the fills of the
// data record and the line break after every record.
using TransferFileForm = zengin::BankFileForm;

// The form the settings file asks for now (section Output: ClearingHouse,
// Designation, LineBreak), read afresh on every call.
TransferFileForm readTransferFileForm(const IniFile &ini);

struct TransferFileResult
{
    bool ok = false;
    // On failure: what went wrong and, for a line, which one (UTF-8). The
    // target is then untouched: an earlier file stays as it was.
    std::string message;
    // The failure was the file system's (the target could not be created or
    // written), not a line of the file: trying again may succeed.
    bool fileFailure = false;
    int64_t count = 0; // data records written
    int64_t total = 0; // sum of the amounts written
};

// The complete file content. Every line is checked before anything is
// returned: an amount that the fee makes negative, an amount beyond 10 digits,
// a total beyond 12 digits, more than 999,999 lines, a number that does not fit
// its field or a text with a character that Shift-JIS cannot hold make the
// result fail with a message naming the line, and `content` stays empty.
TransferFileResult buildTransferFile(const std::optional<ConsignorRow> &consignor, int transferRequestDate,
                                     const std::vector<FurikomiRow> &rows, const RecipientRows &recipients,
                                     const std::optional<ConsignorRow> &feeTable, std::string &content,
                                     const TransferFileForm &form = {});

// As above, reading the consignor's M_銀行 row (for the header and as the fee
// table), its M_受取人 rows and the rows of the aggregation statement (the
// all-facility text of BuildFurikomiSql) from the database. A database error
// is reported in the result as well.
TransferFileResult buildTransferFile(const sql::Database &db, const std::string &consignorCode,
                                     int transferRequestDate, const std::string &aggregationStatement,
                                     std::string &content, const TransferFileForm &form = {});

// The Zengin check of a built file before it goes to the bank: its transfer
// date is the transfer request date, and its bank and branch codes are held
// against the bank master when that is connected.
// What is said when the check's errors keep a file from being written.
inline constexpr const char *kCheckRefusal = "銀行に受け付けられないデータがあるため、ファイルは作成していません。";

zengin::CheckResult checkBeforeWriting(const std::string &content, int transferRequestDate,
                                       const sql::Database &bankMaster);

// Builds the file (above) and, only when every line is sound, writes it to a
// temporary file beside `path` and renames that over `path`. Overwrites an
// existing file: asking first is the caller's business. Never throws for a
// refused line or an I/O failure; reports them in the result.
TransferFileResult WriteTransferFile(const std::string &path, const std::optional<ConsignorRow> &consignor,
                                     int transferRequestDate, const std::vector<FurikomiRow> &rows,
                                     const RecipientRows &recipients, const std::optional<ConsignorRow> &feeTable,
                                     const TransferFileForm &form = {});

// As above, with the file built from the database (buildTransferFile).
TransferFileResult WriteTransferFile(const sql::Database &db, const std::string &path,
                                     const std::string &consignorCode, int transferRequestDate,
                                     const std::string &aggregationStatement, const TransferFileForm &form = {});

// The name the merged file is written under: the extension replaced by
// ".TXT", added when there is none ("bank" → "bank.TXT", "" → ".TXT").
std::string withTxtExtension(const std::string &path);

// Writes bytes to path through a temporary file in the same folder and a
// rename, so that a reader never sees a partial file. Empty on success, else
// the reason.
std::string replaceFileAtomically(const std::string &path, const std::string &bytes);

} // namespace pelanova::output
