#pragma once

// The merged Zengin transfer file of one consignor and transfer request date:
// header, one data record per aggregated line with the amount after a fee that
// the recipient bears, trailer, end; 120 Shift-JIS bytes each. Names go out in
// the characters of Zengin names (ｮ as ﾖ, a as A), as the bank reads them; a
// line of 0 yen moves no money and is left out.

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

// What is said when a consignor and date have no line that moves money.
inline constexpr const char *kNothingToTransfer = "この日の振込データがありません。";
// What is said when the check's errors keep a file from being written.
inline constexpr const char *kCheckRefusal = "銀行に受け付けられないデータがあるため、ファイルは作成していません。";

struct TransferFileResult
{
    bool ok = false;
    // Not ok because no line moves money (kNothingToTransfer).
    bool nothingToTransfer = false;
    // On failure: what went wrong and, for a line, which one (UTF-8).
    std::string message;
    int64_t count = 0; // data records written
    int64_t total = 0; // sum of the amounts written
    // Each name written in other characters than it is stored in, once
    // ("受取人名「ｼｮｳｼﾞ」を「ｼﾖｳｼﾞ」として作成します。"), and each line left out.
    std::vector<std::string> conversions;
    std::vector<std::string> leftOut;
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

// The file of one consignor and date as it goes to the bank: built from the
// database (the consignor's M_銀行 row as header and fee table, its M_受取人
// rows, the lines of the all-facility aggregation statement) and read by the
// Zengin check as the bank will read it.
class BankFile
{
public:
    enum class State {
        Ready,             // may be written; warnings() and notes() are to be shown first
        NothingToTransfer, // no line moves money
        Refused,           // a line cannot be written, the check found errors, or the database failed
    };

    State state() const;
    // Why it is not Ready: kNothingToTransfer, the refused line, or the check's findings.
    std::string refusal() const;
    // The check's warnings, one a line after "\n\r"; empty when there are none.
    std::string warnings() const;
    // The converted names and the lines left out, one a line after "\n\r".
    std::string notes() const;

    const std::string &content() const { return m_content; }
    const TransferFileResult &built() const { return m_built; }
    const zengin::CheckResult &check() const { return m_check; }
    const std::string &consignor() const { return m_consignor; }
    int date() const { return m_date; }
    // Of the lines the file is made from (LinesFingerprint).
    const std::string &fingerprint() const { return m_fingerprint; }

private:
    friend BankFile prepareBankFile(const sql::Database &, const sql::Database &, const std::string &, int,
                                    const std::string &, const TransferFileForm &);
    TransferFileResult m_built;
    zengin::CheckResult m_check;
    std::string m_content;
    std::string m_consignor;
    int m_date = 0;
    std::string m_fingerprint;
};

// Builds and checks the bank file. The statement is the all-facility text of
// BuildFurikomiSql, which the print screen hands on; bank and branch codes are
// held against the bank master when it is connected. A database error makes
// the file Refused with its text.
BankFile prepareBankFile(const sql::Database &own, const sql::Database &bankMaster, const std::string &consignorCode,
                         int transferRequestDate, const std::string &aggregationStatement,
                         const TransferFileForm &form);

// Writes a Ready bank file to path through a temporary file and a rename, so
// that an earlier file stays whole until the new one is, and records it in
// the own database's record of bank files (T_作成履歴) in the same step:
// nothing is recorded unless the file is written, nor written unless it is
// recorded. Empty on success, else the reason; asking before overwriting or
// creating again is the caller's business.
std::string writeBankFile(sql::Database &own, const BankFile &file, const std::string &path);

// The name the merged file is written under: the extension replaced by
// ".TXT", added when there is none ("bank" → "bank.TXT", "" → ".TXT").
std::string withTxtExtension(const std::string &path);

} // namespace pelanova::output
