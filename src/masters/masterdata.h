#pragma once

// The statements of the masters screens: facilities (M_施設), consignor fee
// tables (M_銀行), recipient fee categories (M_受取人), the bulk fee setting
// and the deletion of all data. Nothing here knows of windows.

#include "core/tesuuryou.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pelanova::sql {
class Database;
}

namespace pelanova::masters {

// An edit of a row that another clerk changed or removed since the screen
// showed it: nothing is written, and the screen is to be opened again.
inline constexpr const char *kStaleRowText = "他の利用者が変更しました。画面を開き直してください。";
struct StaleRowError : std::runtime_error
{
    StaleRowError() : std::runtime_error(kStaleRowText) {}
};

// --- Facilities ------------------------------------------------------------

struct Facility
{
    int64_t code = 0;
    std::string name;
    std::optional<std::string> fileName; // 総合振込データファイル名, NULL as nothing
};

// Every facility, by 施設コード.
std::vector<Facility> loadFacilities(const sql::Database &db);

// The code 新規 proposes: the highest code plus one, 1 for an empty table.
int64_t nextFacilityCode(const sql::Database &db);

// The code of a facility as the list or the code field shows it, when it is
// plain decimal digits that fit; nothing otherwise, so that no statement is
// built from anything else.
std::optional<int64_t> facilityCodeOf(std::string_view text);

std::optional<Facility> findFacility(const sql::Database &db, int64_t code);
bool facilityCodeInUse(const sql::Database &db, int64_t code);

// The stored file name: NULL when the typed text is empty or only blanks,
// else the text exactly as typed.
std::optional<std::string> storedFileName(const std::string &typed);

void insertFacility(sql::Database &db, int64_t code, const std::string &name, const std::string &fileName);
// Stores the name and file name of the facility as shown; StaleRowError when
// its row no longer holds what was shown.
void updateFacility(sql::Database &db, const Facility &shown, const std::string &name,
                    const std::string &fileName);

// --- Consignors and their fee tables --------------------------------------

// The consignor's fee table is read with the account data
// (pelanova::loadConsignorRow); this writes its 24 fee columns into the row
// as shown; StaleRowError when its fee columns no longer hold what was shown.
void saveFeeTable(sql::Database &db, const ConsignorRow &shown, const FeeTable &table);

// --- Recipients -------------------------------------------------------------

struct RecipientLine
{
    std::string name;      // 受取人名
    int64_t bankNumber = 0;
    int64_t branchNumber = 0;
    std::string account;   // 口座番号
    int64_t category = 0;  // 手数料区分
    int64_t threshold = 0; // 手数料金額
};

// The consignor's M_受取人 rows, by 受取人名 (rows of one name in stored order).
std::vector<RecipientLine> loadRecipientLines(const sql::Database &db, const std::string &consignorCode);

struct RecipientDetail
{
    std::string bankName;   // 銀行名漢字, else 銀行名; blanks around removed
    std::string branchName; // 支店名漢字, else 支店名; blanks around removed
    int64_t accountType = 0; // 預金種別
    int64_t category = 0;
    int64_t threshold = 0;
};

// The consignor's recipient with these bank and branch numbers and this
// account number (the earliest stored one should there be several).
std::optional<RecipientDetail> findRecipient(const sql::Database &db, const std::string &consignorCode,
                                             int64_t bankNumber, int64_t branchNumber,
                                             const std::string &account);

struct RecipientFee
{
    int64_t category = 0;  // 手数料区分
    int64_t threshold = 0; // 手数料金額
    bool operator==(const RecipientFee &) const = default;
};

// Stores the fee category of that recipient; false when it has no row,
// StaleRowError when its row no longer holds the category shown.
bool saveRecipientFee(sql::Database &db, const std::string &consignorCode, int64_t bankNumber,
                      int64_t branchNumber, const std::string &account, const RecipientFee &shown,
                      const RecipientFee &fee);

// --- Bulk fee setting -------------------------------------------------------

// The update of every recipient of one consignor, the code written in as a
// quoted literal; parameters :手数料区分 and :手数料金額.
std::string bulkFeeStatement(const std::string &consignorCode);
// Runs it; returns the number of rows changed.
int applyBulkFee(sql::Database &db, const std::string &consignorCode, bool recipientBears,
                 int64_t threshold);

// --- Deleting all data ------------------------------------------------------

// The tables emptied by the delete-all command, in order. M_施設 is kept.
extern const std::array<const char *, 6> kDeleteAllTables;

// Empties them in one transaction (a savepoint inside one already open);
// on any failure nothing is deleted and the error is thrown.
void deleteAllData(sql::Database &db);

} // namespace pelanova::masters
