#include "masters/masterdata.h"

#include <charconv>
#include <limits>

#include "core/format.h"
#include "core/sql.h"

namespace pelanova::masters {

using sql::joinLines;

namespace {

// A kanji name when there is one, else the katakana name.
std::string kanjiOr(const sql::Statement &st, std::string_view kanji, std::string_view kana)
{
    std::string name = st.textOrEmpty(kanji);
    return name.empty() ? st.textOrEmpty(kana) : name;
}

} // namespace

// --- Facilities ------------------------------------------------------------

std::vector<Facility> loadFacilities(const sql::Database &db)
{
    sql::Statement st = db.prepare(joinLines({
        "SELECT * FROM M_施設",
        "ORDER BY 施設コード",
    }));
    std::vector<Facility> facilities;
    while (st.step()) {
        Facility facility;
        facility.code = st.int64("施設コード");
        facility.name = st.textOrEmpty("施設名");
        if (!st.isNull("総合振込データファイル名"))
            facility.fileName = st.text("総合振込データファイル名");
        facilities.push_back(std::move(facility));
    }
    return facilities;
}

int64_t nextFacilityCode(const sql::Database &db)
{
    sql::Statement st = db.prepare(joinLines({
        "SELECT MAX(施設コード) AS 最大ID",
        "FROM M_施設",
    }));
    if (!st.step() || st.isNull("最大ID"))
        return 1;
    return st.int64("最大ID") + 1;
}

std::optional<int64_t> facilityCodeOf(std::string_view text)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    int64_t code = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (ec != std::errc() || end != text.data() + text.size() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    return code;
}

std::optional<Facility> findFacility(const sql::Database &db, int64_t code)
{
    sql::Statement st = db.prepare(joinLines({
        "SELECT M_施設.*",
        "FROM M_施設",
        "WHERE 施設コード = " + std::to_string(code),
    }));
    if (!st.step())
        return std::nullopt;
    Facility facility;
    facility.code = st.int64("施設コード");
    facility.name = st.textOrEmpty("施設名");
    if (!st.isNull("総合振込データファイル名"))
        facility.fileName = st.text("総合振込データファイル名");
    return facility;
}

bool facilityCodeInUse(const sql::Database &db, int64_t code)
{
    sql::Statement st = db.prepare(joinLines({
        "SELECT 施設コード",
        "FROM M_施設",
        "WHERE 施設コード = " + std::to_string(code),
    }));
    return st.step();
}

std::optional<std::string> storedFileName(const std::string &typed)
{
    if (trimText(typed).empty())
        return std::nullopt;
    return typed;
}

void insertFacility(sql::Database &db, int64_t code, const std::string &name, const std::string &fileName)
{
    sql::Statement st = db.prepare(joinLines({
        "INSERT INTO M_施設 (",
        "  施設コード,",
        "  施設名,",
        "  総合振込データファイル名",
        ") VALUES (",
        "  :施設コード,",
        "  :施設名,",
        "  :総合振込データファイル名",
        ")",
    }));
    st.bind(":施設コード", code);
    st.bind(":施設名", name);
    st.bind(":総合振込データファイル名", storedFileName(fileName));
    st.run();
}

void updateFacility(sql::Database &db, const Facility &shown, const std::string &name,
                    const std::string &fileName)
{
    sql::Statement st = db.prepare(joinLines({
        "UPDATE M_施設 SET",
        "  施設名 = :施設名,",
        "  総合振込データファイル名 = :総合振込データファイル名",
        "WHERE",
        "  施設コード = " + std::to_string(shown.code),
        "  AND COALESCE(施設名, '') = :表示施設名",
        "  AND 総合振込データファイル名 IS NOT DISTINCT FROM :表示ファイル名",
    }));
    st.bind(":施設名", name);
    st.bind(":総合振込データファイル名", storedFileName(fileName));
    st.bind(":表示施設名", shown.name);
    st.bind(":表示ファイル名", shown.fileName);
    st.run();
    if (db.changes() == 0)
        throw StaleRowError();
}

// --- Consignors and their fee tables --------------------------------------

void saveFeeTable(sql::Database &db, const ConsignorRow &shown, const FeeTable &table)
{
    std::string sql = "UPDATE M_銀行 SET";
    for (int i = 0; i < kFeeColumnCount; ++i) {
        sql += "\n  ";
        sql += kFeeColumns[i];
        sql += " = :";
        sql += kFeeColumns[i];
        if (i + 1 < kFeeColumnCount)
            sql += ',';
    }
    sql += "\nWHERE\n  ID = " + std::to_string(shown.id);
    for (int i = 0; i < kFeeColumnCount; ++i) {
        sql += "\n  AND ";
        sql += kFeeColumns[i];
        sql += " IS NOT DISTINCT FROM :表示";
        sql += std::to_string(i);
    }
    sql::Statement st = db.prepare(sql);
    for (int i = 0; i < kFeeColumnCount; ++i) {
        st.bind((std::string(":") + kFeeColumns[i]).c_str(), feeValue(table, i));
        const std::string was = ":表示" + std::to_string(i);
        if (shown.missingFees[i])
            st.bind(was.c_str(), std::optional<std::string>());
        else
            st.bind(was.c_str(), feeValue(shown, i));
    }
    st.run();
    if (db.changes() == 0)
        throw StaleRowError();
}

// --- Recipients -------------------------------------------------------------

std::vector<RecipientLine> loadRecipientLines(const sql::Database &db, const std::string &consignorCode)
{
    sql::Statement st = db.prepare(joinLines({
        "SELECT *",
        "FROM M_受取人",
        "WHERE 委託者コード = " + sql::quote(consignorCode),
        "ORDER BY 受取人名, ID",
    }));
    std::vector<RecipientLine> lines;
    while (st.step()) {
        RecipientLine line;
        line.name = st.textOrEmpty("受取人名");
        line.bankNumber = st.int64OrZero("銀行番号");
        line.branchNumber = st.int64OrZero("支店番号");
        line.account = st.textOrEmpty("口座番号");
        line.category = st.int64OrZero("手数料区分");
        line.threshold = st.int64OrZero("手数料金額");
        lines.push_back(std::move(line));
    }
    return lines;
}

namespace {

sql::Statement selectRecipient(const sql::Database &db, const std::string &consignorCode,
                               int64_t bankNumber, int64_t branchNumber, const std::string &account)
{
    sql::Statement st = db.prepare(joinLines({
        "SELECT *",
        "FROM M_受取人",
        "WHERE 委託者コード = :委託者コード",
        "  AND 銀行番号 = :銀行番号",
        "  AND 支店番号 = :支店番号",
        "  AND 口座番号 = :口座番号",
        "ORDER BY ID",
    }));
    st.bind(":委託者コード", consignorCode);
    st.bind(":銀行番号", bankNumber);
    st.bind(":支店番号", branchNumber);
    st.bind(":口座番号", account);
    return st;
}

} // namespace

std::optional<RecipientDetail> findRecipient(const sql::Database &db, const std::string &consignorCode,
                                             int64_t bankNumber, int64_t branchNumber,
                                             const std::string &account)
{
    sql::Statement st = selectRecipient(db, consignorCode, bankNumber, branchNumber, account);
    if (!st.step())
        return std::nullopt;
    RecipientDetail detail;
    detail.bankName = std::string(trimText(kanjiOr(st, "銀行名漢字", "銀行名")));
    detail.branchName = std::string(trimText(kanjiOr(st, "支店名漢字", "支店名")));
    detail.accountType = st.int64OrZero("預金種別");
    detail.category = st.int64OrZero("手数料区分");
    detail.threshold = st.int64OrZero("手数料金額");
    return detail;
}

bool saveRecipientFee(sql::Database &db, const std::string &consignorCode, int64_t bankNumber,
                      int64_t branchNumber, const std::string &account, const RecipientFee &shown,
                      const RecipientFee &fee)
{
    int64_t id = 0;
    {
        sql::Statement st = selectRecipient(db, consignorCode, bankNumber, branchNumber, account);
        if (!st.step())
            return false;
        id = st.int64("ID");
    }
    sql::Statement st = db.prepare(joinLines({
        "UPDATE M_受取人 SET",
        "  手数料区分 = :手数料区分,",
        "  手数料金額 = :手数料金額",
        "WHERE",
        "  ID = " + std::to_string(id),
        "  AND COALESCE(手数料区分, 0) = :表示手数料区分",
        "  AND COALESCE(手数料金額, 0) = :表示手数料金額",
    }));
    st.bind(":手数料区分", fee.category);
    st.bind(":手数料金額", fee.threshold);
    st.bind(":表示手数料区分", shown.category);
    st.bind(":表示手数料金額", shown.threshold);
    st.run();
    if (db.changes() == 0)
        throw StaleRowError();
    return true;
}

// --- Bulk fee setting -------------------------------------------------------

std::string bulkFeeStatement(const std::string &consignorCode)
{
    return joinLines({
        "UPDATE M_受取人 SET",
        "  手数料区分 = :手数料区分,",
        "  手数料金額 = :手数料金額",
        "WHERE",
        "  委託者コード = " + sql::quote(consignorCode),
    });
}

int applyBulkFee(sql::Database &db, const std::string &consignorCode, bool recipientBears,
                 int64_t threshold)
{
    sql::Statement st = db.prepare(bulkFeeStatement(consignorCode));
    st.bind(":手数料区分", int64_t(recipientBears ? 1 : 0));
    st.bind(":手数料金額", threshold);
    st.run();
    return db.changes();
}

// --- Deleting all data ------------------------------------------------------

const std::array<const char *, 6> kDeleteAllTables = {
    "T_ヘッダレコード", "T_データレコード", "T_トレーラレコード", "T_エンドレコード", "M_銀行", "M_受取人",
};

void deleteAllData(sql::Database &db)
{
    sql::Transaction tx(db);
    for (const char *table : kDeleteAllTables)
        db.exec(std::string("DELETE FROM ") + table);
    tx.commit();
}

} // namespace pelanova::masters
