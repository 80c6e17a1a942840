#pragma once

// Transfer aggregation: the transfers of one consignor and transfer request
// date, of one facility as delivered or of all facilities merged per
// destination account, each line priced by the fee calculation; and the three
// selection lists of the print screen.

#include "core/format.h"
#include "core/sha256.h"
#include "core/tesuuryou.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pelanova::sql {
class Database;
class Statement;
}

namespace pelanova::output {

// First item of the facility list: all facilities merged.
inline constexpr const char *kAllFacilitiesItem = "-1\t全施設集計";

// A facility key of 0 or less merges all facilities; only that mode may feed
// the merged transfer file.
constexpr bool isAllFacilityMode(int facilityKey) { return facilityKey <= 0; }

// Keyed list items ("key TAB text").
// Dates, newest first: "yyyymmdd TAB number of imported files on that date".
std::vector<std::string> LoadFurikomiDates(const sql::Database &db);
// "-1 TAB 全施設集計", then each facility that delivered a file of the
// consignor under the date, once, by code: "code TAB name" (empty name when the
// facility is not in M_施設).
std::vector<std::string> LoadBumon(const sql::Database &db, const std::string &consignorCode, int date);

// The aggregation statement. Values are written in as literals, so that the
// reports and the file creation can run the text again as it is.
std::string BuildFurikomiSql(int date, const std::string &consignorCode, int facilityKey);

// One row of the aggregation statement (NULL reads as 0 or empty text): the
// destination account and the amount before any fee.
struct FurikomiRow : zengin::TransferFields
{
    int64_t amount = 0; // 振込金額
};

// Reads the rows of a running aggregation statement by column name.
class FurikomiRowReader
{
public:
    explicit FurikomiRowReader(const sql::Statement &st);
    FurikomiRow read() const;

private:
    const sql::Statement &m_st;
    int m_columns[8];
};

// Runs an aggregation statement text and returns all its rows in order.
std::vector<FurikomiRow> readFurikomiRows(const sql::Database &db, const std::string &statement);

// One aggregated transfer priced by the fee calculation, as the print
// screen, the reports and the bank file all show and write it.
struct PricedTransfer
{
    TTesuuryou fee;         // after GetTesuuryou on the row's amount
    std::string bankName;   // the recipient's kanji bank name, else the delivered name
    std::string branchName; // the recipient's kanji branch name, else the delivered name
    // What goes to the recipient: the amount less a fee that the recipient bears.
    int64_t amount() const { return fee.Kingaku + fee.JisyaTesuuryou; }
};

PricedTransfer priceTransfer(const FurikomiRow &row, const RecipientRows &recipients,
                             const std::optional<ConsignorRow> &feeTable);

// A fingerprint of the merged lines a bank file is made from: the
// consignor's header fields and, line by line, the destination, the name,
// the delivered amount and the fees. Equal fingerprints mean the same bank
// file in the same form; an import, a deletion, a fee category or a fee
// table that changes the lines changes it.
class LinesFingerprint
{
public:
    void consignor(const std::optional<ConsignorRow> &row);
    void line(const FurikomiRow &row, const PricedTransfer &priced);
    std::string hex();

private:
    Sha256 m_hash;
};

// The fingerprint of the all-facility lines of a consignor and date as the
// data holds them now.
std::string currentLinesFingerprint(const sql::Database &db, const std::string &consignorCode, int date);

// One line of the print screen's list, all texts.
struct TFurikomiLine
{
    std::string code;         // bank-branch "%.4d-%.3d"
    std::string bankName;     // recipient's kanji bank name, else the delivered name
    std::string branchName;   // recipient's kanji branch name, else the delivered name
    std::string depositType;  // GetYokinSyubetuName
    std::string payee;        // 振込先名
    std::string amount;       // Kingaku + JisyaTesuuryou, "#,##0"
    std::string ownFee;       // JisyaTesuuryou, "#,###"
    std::string recipientFee; // AitesakiTesuuryou, "#,###"
};

TFurikomiLine makeFurikomiLine(const FurikomiRow &row, const PricedTransfer &priced);

struct FurikomiList
{
    std::vector<TFurikomiLine> lines;
    // Number of lines and sum of the delivered amounts (before any fee).
    int64_t count = 0;
    int64_t sum = 0;
    // The fees the recipients bear, and what is paid out after them (the
    // total the request form and the fee list print).
    int64_t recipientFees = 0;
    int64_t paid = 0;
    bool totalsSet = false;
    bool allFacilities = false;
    // With all facilities: the lines' fingerprint (LinesFingerprint), once
    // every line is read.
    std::string fingerprint;
    std::string statement; // the aggregation statement that was run
};

using FurikomiLineSink = std::function<void(const TFurikomiLine &)>;

// Loads and prices the lines. If reading fails part way, `out` keeps the lines
// read so far with their totals set, and the database error is rethrown; if the
// statement cannot be run at all, no totals are set.
void LoadFurikomiList(const sql::Database &db, int date, const std::string &consignorCode, int facilityKey,
                      FurikomiList &out, const FurikomiLineSink &onLine = {});
// As LoadFurikomiList, handing each line to onLine alone: `out` gets the
// totals but no lines, and the fingerprint only when asked for.
void ReadFurikomiLines(const sql::Database &db, int date, const std::string &consignorCode, int facilityKey,
                       FurikomiList &out, const FurikomiLineSink &onLine, bool fingerprint);
FurikomiList LoadFurikomiList(const sql::Database &db, int date, const std::string &consignorCode,
                              int facilityKey);

// The totals as the print screen shows them: the count followed by one blank
// ("36 "), the sum "#,##0" followed by one blank ("1,233,000 ").
std::string totalCountText(int64_t count);
std::string totalSumText(int64_t sum);

// "#,##0": digits grouped by three, 0 shows as "0".
std::string formatAmount(int64_t value);
// "#,###": as formatAmount, but 0 shows as nothing.
std::string formatFee(int64_t value);

} // namespace pelanova::output
