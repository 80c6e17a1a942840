#include "core/tesuuryou.h"
#include "core/sql.h"

#include <algorithm>
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

RecipientRows::RecipientRows(const sql::Database &db, std::string_view consignorCode)
{
    // Read in the order the entries are held in, which the index of accounts
    // gives without a sort; of equal accounts, the first stored first. Where
    // the database orders otherwise (a server's text order, a number stored
    // as text), they are read in the order stored and put in order here.
    if (!load(db, consignorCode, "銀行番号, 支店番号, 口座番号, ID")) {
        load(db, consignorCode, "ID");
        std::stable_sort(m_entries.begin(), m_entries.end(), before);
    }
    m_entries.shrink_to_fit();
}

bool RecipientRows::load(const sql::Database &db, std::string_view consignorCode, const char *order)
{
    m_entries.clear();
    m_size = 0;
    sql::Statement st = db.prepare("SELECT\n  銀行番号, 支店番号, 口座番号, 手数料区分, 手数料金額, 銀行名漢字, 支店名漢字\nFROM\n"
                                   "  M_受取人\nWHERE\n  委託者コード = "
                                   + sql::quote(consignorCode) + "\nORDER BY\n  " + order);
    uint32_t bankKanji = nameIndex(std::string());
    uint32_t branchKanji = bankKanji;
    bool ordered = true;
    while (st.step()) {
        ++m_size;
        // A NULL key column matches no account (not 0 or empty text).
        if (st.isNull(0) || st.isNull(1) || st.isNull(2))
            continue;
        Entry e;
        e.bank = st.int64(0);
        e.branch = st.int64(1);
        e.account = st.text(2);
        e.category = st.int64OrZero(3);
        e.threshold = st.int64OrZero(4);
        // Neighbours mostly share their bank's and branch's names (NULL
        // reads as empty).
        if (const std::string_view name = st.textView(5); name != m_names[bankKanji])
            bankKanji = nameIndex(std::string(name));
        e.bankKanji = bankKanji;
        if (const std::string_view name = st.textView(6); name != m_names[branchKanji])
            branchKanji = nameIndex(std::string(name));
        e.branchKanji = branchKanji;
        if (ordered && !m_entries.empty() && before(e, m_entries.back()))
            ordered = false;
        m_entries.push_back(std::move(e));
    }
    return ordered;
}

bool RecipientRows::before(const Entry &a, const Entry &b)
{
    if (a.bank != b.bank)
        return a.bank < b.bank;
    if (a.branch != b.branch)
        return a.branch < b.branch;
    return a.account < b.account;
}

uint32_t RecipientRows::nameIndex(const std::string &name)
{
    // Names repeat across recipients of one bank and branch: each is held once.
    const auto [it, added] = m_nameIndex.try_emplace(name, static_cast<uint32_t>(m_names.size()));
    if (added)
        m_names.push_back(name);
    return it->second;
}

void RecipientRows::add(const RecipientRow &row)
{
    ++m_size;
    if (!row.bankNumber || !row.branchNumber || !row.account)
        return;
    Entry e;
    e.bank = *row.bankNumber;
    e.branch = *row.branchNumber;
    e.account = *row.account;
    e.category = row.category;
    e.threshold = row.threshold;
    e.bankKanji = nameIndex(row.bankKanji);
    e.branchKanji = nameIndex(row.branchKanji);
    // After any equal account already held, so that the first stored stays found.
    m_entries.insert(std::upper_bound(m_entries.begin(), m_entries.end(), e, before), std::move(e));
}

std::optional<RecipientRows::Found> RecipientRows::find(int64_t bankNumber, int64_t branchNumber,
                                                        std::string_view account) const
{
    Entry key;
    key.bank = bankNumber;
    key.branch = branchNumber;
    key.account = std::string(account);
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key, before);
    if (it == m_entries.end() || before(key, *it))
        return std::nullopt;
    return Found{it->category, it->threshold, &m_names[it->bankKanji], &m_names[it->branchKanji]};
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

    if (const auto r = recipients.find(bankNumber, branchNumber, accountNumber)) {
        category = r->category;
        threshold = r->threshold;
        ginkouKanji = *r->bankKanji;
        shitenKanji = *r->branchKanji;
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
