#pragma once

// UnitTesuuryou: the bank transfer fee of one destination account and amount,
// and the deposit (account) types.

#include "core/records.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelanova::sql {
class Database;
class Statement;
}

namespace pelanova {

// --- Deposit types ---------------------------------------------------------

struct TYokinSyubetu
{
    int Code;
    std::string_view Name;
};

inline constexpr std::array<TYokinSyubetu, 4> kYokinSyubetu = {{
    {1, "普通"},
    {2, "当座"},
    {4, "貯蓄"},
    {9, "その他"},
}};

constexpr bool namesOnlyDepositTypes()
{
    for (const TYokinSyubetu &s : kYokinSyubetu) {
        if (!zengin::isDepositType(s.Code))
            return false;
    }
    return true;
}
static_assert(namesOnlyDepositTypes(), "every named deposit type is one a bank accepts");

// The name of a deposit-type code; empty for any code not in the table.
std::string GetYokinSyubetuName(int64_t code);

// --- Fee calculation -------------------------------------------------------

// One fee calculation. On entry Kingaku is the gross amount; on return it is
// the gross amount minus the fee (whoever bears it), and exactly one of the two
// fee fields holds the fee (or neither, when there is no fee). The amount that
// actually goes to the recipient is Kingaku + JisyaTesuuryou.
// Amounts are 64-bit so that merged sums beyond 2,147,483,647 yen stay exact.
struct TTesuuryou
{
    int64_t Kingaku = 0;
    int64_t JisyaTesuuryou = 0;    // borne by the consignor's side
    int64_t AitesakiTesuuryou = 0; // borne by the recipient (deducted)
};

// Where the money goes, seen from the consignor's own account.
enum class FeeRelation { Touginkou = 0, Tashiten = 1, Taginkou = 2 };

// A consignor's fee table: per relation (FeeRelation order) band limits 1 and
// 2, telegraphic fees of bands 1 to 3, document fees of bands 1 to 3 (stored,
// never charged).
struct FeeTable
{
    std::array<std::array<int64_t, 2>, 3> limits{};
    std::array<std::array<int64_t, 3>, 3> telegraphicFees{};
    std::array<std::array<int64_t, 3>, 3> documentFees{};

    bool operator==(const FeeTable &) const = default;
};

// The fee table a consignor receives when the import adds it.
inline constexpr FeeTable kDefaultFeeTable{
    {{{10000, 30000}, {10000, 30000}, {10000, 30000}}},
    {{{0, 0, 0}, {105, 105, 210}, {420, 420, 630}}},
    {{{0, 0, 0}, {105, 105, 210}, {420, 420, 630}}},
};

// The 24 fee columns of M_銀行 in their stored order: relation by relation,
// band limits 1 and 2, telegraphic fees of bands 1 to 3, document fees of
// bands 1 to 3. Everything that reads, shows or writes the fee columns goes
// by these positions.
inline constexpr int kFeeColumnCount = 24;
inline constexpr int kFeeRelationCount = 3;
inline constexpr int kBandLimitsPerRelation = 2;
inline constexpr int kBandsPerRelation = 3;
inline constexpr int kFeeColumnsPerRelation = kBandLimitsPerRelation + 2 * kBandsPerRelation;
extern const std::array<const char *, kFeeColumnCount> kFeeColumns;

// The position in kFeeColumns of a relation's band limit (0, 1), and of the
// telegraphic and document fee of one of its bands (0 below the first limit,
// 1 below the second, 2 from the second on).
constexpr int bandLimitColumn(int relation, int limit) { return relation * kFeeColumnsPerRelation + limit; }
constexpr int telegraphicFeeColumn(int relation, int band)
{
    return relation * kFeeColumnsPerRelation + kBandLimitsPerRelation + band;
}
constexpr int documentFeeColumn(int relation, int band)
{
    return relation * kFeeColumnsPerRelation + kBandLimitsPerRelation + kBandsPerRelation + band;
}
static_assert(documentFeeColumn(kFeeRelationCount - 1, kBandsPerRelation - 1) + 1 == kFeeColumnCount);

// The value of fee column i (in kFeeColumns order) of a table, and its slot.
int64_t feeValue(const FeeTable &table, int column);
int64_t &feeValue(FeeTable &table, int column);
// The fee columns and a table's values as statement text: "当銀行1未満, ..."
// and "10000, 30000, ...", in kFeeColumns order.
std::string feeColumnList();
std::string feeValueList(const FeeTable &table);

// The consignor's M_銀行 row: account data for the file header and the fee
// table. Columns without a value read as 0 or empty text.
struct ConsignorRow : FeeTable, zengin::ConsignorFields
{
    int64_t id = 0;
    std::string bankKanji;   // 銀行名漢字
    std::string branchKanji; // 支店名漢字
    // Fee columns stored as NULL: 0 to the fee calculation, nothing on the
    // fee table page.
    std::bitset<kFeeColumnCount> missingFees;

    // 銀行名漢字 when there is one, else 銀行名; the same for the branch.
    const std::string &shownBankName() const { return bankKanji.empty() ? bankName : bankKanji; }
    const std::string &shownBranchName() const { return branchKanji.empty() ? branchName : branchKanji; }
};

// The consignor's row of M_銀行 (the earliest stored one should there be
// several), or nothing when the consignor has none.
std::optional<ConsignorRow> loadConsignorRow(const sql::Database &db, std::string_view consignorCode);

// The consignor list of the screens, by code: "code TAB name".
std::vector<std::string> LoadItakusya(const sql::Database &db);

// Reads a ConsignorRow from the current row of a "SELECT * FROM M_銀行" statement.
ConsignorRow readConsignorRow(const sql::Statement &st);

// One row of M_受取人 as the fee calculation needs it.
struct RecipientRow
{
    int64_t id = 0;
    std::optional<int64_t> bankNumber;   // 銀行番号
    std::optional<int64_t> branchNumber; // 支店番号
    std::optional<std::string> account;  // 口座番号
    int64_t category = 0;                // 手数料区分
    int64_t threshold = 0;               // 手数料金額
    std::string bankKanji;               // 銀行名漢字
    std::string branchKanji;             // 支店名漢字
};

// One consignor's recipient rows, loaded once. find() answers what a search of
// "銀行番号 = b AND 支店番号 = s AND 口座番号 = 'a'" through the rows in stored
// order finds: the matching row with the lowest ID. Rows with a missing bank
// number, branch number or account number match nothing, as in SQL.
//
// Only what the fee calculation reads is kept, sorted by account, with each
// kanji name held once: a consignor of tens of thousands of recipients costs a
// report or a list little memory.
class RecipientRows
{
public:
    // What find() hands back: the fee category, its threshold and the kanji names.
    struct Found
    {
        int64_t category = 0;
        int64_t threshold = 0;
        const std::string *bankKanji = nullptr;
        const std::string *branchKanji = nullptr;
    };

    RecipientRows() = default;
    RecipientRows(const sql::Database &db, std::string_view consignorCode);

    // Rows must be added in stored (ID) order; a later duplicate is kept but
    // never found.
    void add(const RecipientRow &row);
    std::optional<Found> find(int64_t bankNumber, int64_t branchNumber, std::string_view account) const;
    size_t size() const { return m_size; }

private:
    struct Entry
    {
        int64_t bank = 0;
        int64_t branch = 0;
        std::string account;
        int64_t category = 0;
        int64_t threshold = 0;
        uint32_t bankKanji = 0;
        uint32_t branchKanji = 0;
    };
    static bool before(const Entry &a, const Entry &b);
    // Reads the consignor's recipients in the order given; false when that is
    // not the entries' own order.
    bool load(const sql::Database &db, std::string_view consignorCode, const char *order);
    uint32_t nameIndex(const std::string &name);

    std::vector<Entry> m_entries; // by account; of equal accounts, the first stored first
    std::vector<std::string> m_names;
    std::unordered_map<std::string, uint32_t> m_nameIndex;
    size_t m_size = 0;
};

// Prices one transfer: the fee of the relation and band of the gross amount in
// the consignor's fee table, borne by the recipient when its fee category is
// not 0 and the gross amount reaches its threshold, else by the consignor's
// side. Hands back the recipient's kanji bank and branch names (empty when the
// account is not among the recipients). Without a consignor row there is no
// fee and Kingaku stays as it is.
void GetTesuuryou(TTesuuryou &tesuuryou, std::string &ginkouKanji, std::string &shitenKanji,
                  int64_t bankNumber, int64_t branchNumber, std::string_view accountNumber,
                  const RecipientRows &recipients, const std::optional<ConsignorRow> &consignor);

} // namespace pelanova
