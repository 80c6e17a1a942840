#include "core/tesuuryou.h"
#include "core/sql.h"

#include <functional>

namespace pelanova {

std::string GetYokinSyubetuName(int64_t code)
{
    for (const TYokinSyubetu &s : kYokinSyubetu) {
        if (s.Code == code)
            return std::string(s.Name);
    }
    return {};
}

const std::array<const char *, kFeeColumnCount> kFeeColumns = {
    "当銀行1未満", "当銀行2未満",
    "当銀行1未満電信手数料", "当銀行2未満電信手数料", "当銀行3以上電信手数料",
    "当銀行1未満文書手数料", "当銀行2未満文書手数料", "当銀行3以上文書手数料",
    "他支店1未満", "他支店2未満",
    "他支店1未満電信手数料", "他支店2未満電信手数料", "他支店3以上電信手数料",
    "他支店1未満文書手数料", "他支店2未満文書手数料", "他支店3以上文書手数料",
    "他銀行1未満", "他銀行2未満",
    "他銀行1未満電信手数料", "他銀行2未満電信手数料", "他銀行3以上電信手数料",
    "他銀行1未満文書手数料", "他銀行2未満文書手数料", "他銀行3以上文書手数料",
};

int64_t &feeValue(FeeTable &table, int column)
{
    const auto relation = static_cast<size_t>(column / kFeeColumnsPerRelation);
    const auto at = static_cast<size_t>(column % kFeeColumnsPerRelation);
    if (at < kBandLimitsPerRelation)
        return table.limits.at(relation)[at];
    if (at < kBandLimitsPerRelation + kBandsPerRelation)
        return table.telegraphicFees.at(relation)[at - kBandLimitsPerRelation];
    return table.documentFees.at(relation)[at - kBandLimitsPerRelation - kBandsPerRelation];
}

int64_t feeValue(const FeeTable &table, int column)
{
    return feeValue(const_cast<FeeTable &>(table), column);
}

std::string feeColumnList()
{
    std::string list;
    for (const char *column : kFeeColumns)
        list += (list.empty() ? "" : ", ") + std::string(column);
    return list;
}

std::string feeValueList(const FeeTable &table)
{
    std::string list;
    for (int column = 0; column < kFeeColumnCount; ++column)
        list += (list.empty() ? "" : ", ") + std::to_string(feeValue(table, column));
    return list;
}

ConsignorRow readConsignorRow(const sql::Statement &st)
{
    ConsignorRow row;
    row.id = st.int64OrZero("ID");
    row.code = st.textOrEmpty("委託者コード");
    row.name = st.textOrEmpty("委託者名");
    row.bankNumber = st.int64OrZero("銀行番号");
    row.bankName = st.textOrEmpty("銀行名");
    row.branchNumber = st.int64OrZero("支店番号");
    row.branchName = st.textOrEmpty("支店名");
    row.accountType = st.int64OrZero("預金種目");
    row.account = st.textOrEmpty("口座番号");
    row.bankKanji = st.textOrEmpty("銀行名漢字");
    row.branchKanji = st.textOrEmpty("支店名漢字");
    for (int column = 0; column < kFeeColumnCount; ++column) {
        const int index = st.columnIndex(kFeeColumns[static_cast<size_t>(column)]);
        row.missingFees[static_cast<size_t>(column)] = index < 0 || st.isNull(index);
        feeValue(row, column) = st.int64OrZero(index);
    }
    return row;
}

std::vector<std::string> LoadItakusya(const sql::Database &db)
{
    const std::string statement = sql::joinLines({
        "SELECT",
        "  委託者コード,",
        "  委託者名",
        "FROM",
        "  M_銀行",
        "ORDER BY",
        "  委託者コード, ID",
    });
    return sql::keyedItems(db, statement, "委託者コード", "委託者名");
}

std::optional<ConsignorRow> loadConsignorRow(const sql::Database &db, std::string_view consignorCode)
{
    sql::Statement st = db.prepare("SELECT\n  *\nFROM\n  M_銀行\nWHERE\n  委託者コード = "
                                   + sql::quote(consignorCode) + "\nORDER BY\n  ID");
    if (!st.step())
        return std::nullopt;
    return readConsignorRow(st);
}

size_t RecipientRows::KeyHash::operator()(const Key &k) const
{
    size_t h = std::hash<std::string>()(k.account);
    h ^= std::hash<int64_t>()(k.bank) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h ^= std::hash<int64_t>()(k.branch) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}

RecipientRows::RecipientRows(const sql::Database &db, std::string_view consignorCode)
{
    sql::Statement st = db.prepare("SELECT\n  *\nFROM\n  M_受取人\nWHERE\n  委託者コード = "
                                   + sql::quote(consignorCode) + "\nORDER BY\n  ID");
    const int id = st.columnIndex("ID");
    const int bank = st.columnIndex("銀行番号");
    const int branch = st.columnIndex("支店番号");
    const int account = st.columnIndex("口座番号");
    const int category = st.columnIndex("手数料区分");
    const int threshold = st.columnIndex("手数料金額");
    const int bankKanji = st.columnIndex("銀行名漢字");
    const int branchKanji = st.columnIndex("支店名漢字");
    while (st.step()) {
        RecipientRow row;
        row.id = st.int64OrZero(id);
        // A NULL key column matches no account (not 0 or empty text).
        if (bank >= 0 && !st.isNull(bank))
            row.bankNumber = st.int64(bank);
        if (branch >= 0 && !st.isNull(branch))
            row.branchNumber = st.int64(branch);
        if (account >= 0 && !st.isNull(account))
            row.account = st.text(account);
        row.category = st.int64OrZero(category);
        row.threshold = st.int64OrZero(threshold);
        row.bankKanji = st.textOrEmpty(bankKanji);
        row.branchKanji = st.textOrEmpty(branchKanji);
        add(std::move(row));
    }
}

void RecipientRows::add(RecipientRow row)
{
    m_rows.push_back(std::move(row));
    const RecipientRow &r = m_rows.back();
    if (r.bankNumber && r.branchNumber && r.account)
        m_index.try_emplace(Key{*r.bankNumber, *r.branchNumber, *r.account}, m_rows.size() - 1);
}

const RecipientRow *RecipientRows::find(int64_t bankNumber, int64_t branchNumber, std::string_view account) const
{
    const auto it = m_index.find(Key{bankNumber, branchNumber, std::string(account)});
    return it == m_index.end() ? nullptr : &m_rows[it->second];
}

void GetTesuuryou(TTesuuryou &t, std::string &ginkouKanji, std::string &shitenKanji, int64_t bankNumber,
                  int64_t branchNumber, std::string_view accountNumber, const RecipientRows &recipients,
                  const std::optional<ConsignorRow> &consignor)
{
    t.JisyaTesuuryou = 0;
    t.AitesakiTesuuryou = 0;
    ginkouKanji.clear();
    shitenKanji.clear();
    int64_t category = 0;
    int64_t threshold = 0;

    if (const RecipientRow *r = recipients.find(bankNumber, branchNumber, accountNumber)) {
        category = r->category;
        threshold = r->threshold;
        ginkouKanji = r->bankKanji;
        shitenKanji = r->branchKanji;
    }

    if (!consignor)
        return;

    FeeRelation relation = FeeRelation::Taginkou;
    if (consignor->bankNumber == bankNumber && consignor->branchNumber == branchNumber)
        relation = FeeRelation::Touginkou;
    else if (consignor->bankNumber == bankNumber)
        relation = FeeRelation::Tashiten;
    const auto rel = static_cast<size_t>(relation);

    const auto &limits = consignor->limits[rel];
    size_t band = 2;
    if (t.Kingaku < limits[0])
        band = 0;
    else if (t.Kingaku < limits[1])
        band = 1;
    const int64_t fee = consignor->telegraphicFees[rel][band];

    const bool recipientBears = category != 0 && t.Kingaku >= threshold;
    t.Kingaku -= fee;
    if (recipientBears)
        t.AitesakiTesuuryou = fee;
    else
        t.JisyaTesuuryou = fee;
}

} // namespace pelanova
