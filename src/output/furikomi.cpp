#include "output/furikomi.h"
#include "core/format.h"
#include "core/sql.h"

#include <cstdio>
#include <initializer_list>

namespace pelanova::output {
namespace {

using sql::joinLines;

void setTotals(FurikomiList &out)
{
    out.totalsSet = true;
}

} // namespace

std::string formatAmount(int64_t value)
{
    return formatGrouped(value);
}

std::string totalCountText(int64_t count)
{
    return std::to_string(count) + ' ';
}

std::string totalSumText(int64_t sum)
{
    return formatAmount(sum) + ' ';
}

std::string formatFee(int64_t value)
{
    return value == 0 ? std::string() : formatAmount(value);
}

std::vector<std::string> LoadFurikomiDates(const sql::Database &db)
{
    const std::string statement = joinLines({
        "SELECT",
        "  COUNT(施設コード) AS 施設数,",
        "  振込依頼日",
        "FROM",
        "  T_ヘッダレコード",
        "GROUP BY",
        "  振込依頼日",
        "ORDER BY",
        "  振込依頼日 DESC",
    });
    return sql::keyedItems(db, statement, "振込依頼日", "施設数");
}

std::vector<std::string> LoadBumon(const sql::Database &db, const std::string &consignorCode, int date)
{
    // Only the facilities filed under the chosen date, each once: the list
    // selects lines of that date, so facilities of other dates would show
    // nothing and a facility of several dates would repeat.
    const std::string statement = joinLines({
        "SELECT DISTINCT",
        "  T_ヘッダレコード.施設コード,",
        "  M_施設.施設名 AS 施設名",
        "FROM",
        "  T_ヘッダレコード LEFT JOIN M_施設 ON T_ヘッダレコード.施設コード = M_施設.施設コード",
        "WHERE",
        "  委託者コード = " + sql::quote(consignorCode),
        "  AND T_ヘッダレコード.振込依頼日 = " + std::to_string(date),
        "ORDER BY",
        "  T_ヘッダレコード.施設コード",
    });
    std::vector<std::string> items{kAllFacilitiesItem};
    for (std::string &item : sql::keyedItems(db, statement, "施設コード", "施設名"))
        items.push_back(std::move(item));
    return items;
}

std::string BuildFurikomiSql(int date, const std::string &consignorCode, int facilityKey)
{
    const std::string from1 =
        "  T_ヘッダレコード INNER JOIN T_データレコード ON (T_ヘッダレコード.振込依頼日 = T_データレコード.振込依頼日)";
    const std::string from2 = "     AND (T_ヘッダレコード.施設コード = T_データレコード.施設コード)";
    if (!isAllFacilityMode(facilityKey)) {
        // One facility's lines go by the 取込順番 of each group's earliest
        // stored row (FIRST(x, ID)); ID breaks ties so that the order never
        // depends on the query plan.
        const std::string order = "  FIRST(T_データレコード.取込順番, T_データレコード.ID), MIN(T_データレコード.ID)";
        return joinLines({
            "SELECT",
            "  T_データレコード.引落銀行番号 AS 振込銀行番号,",
            "  T_データレコード.引落銀行名 AS 振込銀行名,",
            "  T_データレコード.引落支店番号 AS 振込支店番号,",
            "  T_データレコード.引落支店名 AS 振込支店名,",
            "  T_データレコード.預金項目,",
            "  T_データレコード.口座番号,",
            "  T_データレコード.預金者名 AS 振込先名,",
            "  T_データレコード.引落金額 AS 振込金額",
            "FROM",
            from1,
            from2,
            "WHERE",
            "  T_データレコード.振込依頼日 = " + std::to_string(date),
            "  AND T_データレコード.施設コード = " + std::to_string(facilityKey),
            "  AND T_ヘッダレコード.委託者コード = " + sql::quote(consignorCode),
            "GROUP BY",
            "  T_データレコード.引落銀行番号,",
            "  T_データレコード.引落銀行名,",
            "  T_データレコード.引落支店番号,",
            "  T_データレコード.引落支店名,",
            "  T_データレコード.預金項目,",
            "  T_データレコード.口座番号,",
            "  T_データレコード.預金者名,",
            "  T_データレコード.引落金額",
            "ORDER BY",
            order,
        });
    }
    // One line per destination account. The accounts are grouped on their key
    // columns alone, over the rows of the date whose facility filed the
    // consignor's header (one header a facility and date), so that the
    // grouping walks an index in its own order and reads no table row; every
    // other column comes from the account's earliest stored transfer (its
    // MIN(ID)), read by its key once the groups are made. The lines go by that
    // transfer's facility, 取込順番 and ID: by facility first, so that a file
    // of more than 10,000 records (取込順番 alone would put them amid the next
    // facility's, whose numbers they reach) keeps its place.
    return joinLines({
        "WITH 口座別 AS MATERIALIZED (",
        "  SELECT",
        "    MIN(T_データレコード.ID) AS 先頭ID,",
        "    SUM(T_データレコード.引落金額) AS 振込金額",
        "  FROM",
        "    T_データレコード",
        "  WHERE",
        "    T_データレコード.振込依頼日 = " + std::to_string(date),
        "    AND T_データレコード.施設コード IN (",
        "      SELECT T_ヘッダレコード.施設コード FROM T_ヘッダレコード",
        "      WHERE T_ヘッダレコード.振込依頼日 = " + std::to_string(date),
        "        AND T_ヘッダレコード.委託者コード = " + sql::quote(consignorCode) + ")",
        "  GROUP BY",
        "    T_データレコード.引落銀行番号,",
        "    T_データレコード.引落支店番号,",
        "    T_データレコード.預金項目,",
        "    T_データレコード.口座番号",
        ")",
        "SELECT",
        "  先頭.引落銀行番号 AS 振込銀行番号,",
        "  先頭.引落銀行名 AS 振込銀行名,",
        "  先頭.引落支店番号 AS 振込支店番号,",
        "  先頭.引落支店名 AS 振込支店名,",
        "  先頭.預金項目,",
        "  先頭.口座番号,",
        "  先頭.預金者名 AS 振込先名,",
        "  口座別.振込金額,",
        "  " + sql::quote(consignorCode) + " AS 委託者コード",
        "FROM",
        "  口座別 INNER JOIN T_データレコード AS 先頭 ON 先頭.ID = 口座別.先頭ID",
        "ORDER BY",
        "  先頭.施設コード, 先頭.取込順番, 先頭.ID",
    });
}

FurikomiRowReader::FurikomiRowReader(const sql::Statement &st) : m_st(st)
{
    const char *names[8] = {"振込銀行番号", "振込銀行名", "振込支店番号", "振込支店名",
                            "預金項目",     "口座番号",   "振込先名",     "振込金額"};
    for (int i = 0; i < 8; ++i) {
        m_columns[i] = st.columnIndex(names[i]);
        if (m_columns[i] < 0)
            throw sql::Error(std::string("集計結果に列「") + names[i] + "」がありません。", 1);
    }
}

FurikomiRow FurikomiRowReader::read() const
{
    FurikomiRow row;
    row.bankNumber = m_st.int64OrZero(m_columns[0]);
    row.bankName = m_st.textOrEmpty(m_columns[1]);
    row.branchNumber = m_st.int64OrZero(m_columns[2]);
    row.branchName = m_st.textOrEmpty(m_columns[3]);
    row.accountType = m_st.int64OrZero(m_columns[4]);
    row.account = m_st.textOrEmpty(m_columns[5]);
    row.payee = m_st.textOrEmpty(m_columns[6]);
    row.amount = m_st.int64OrZero(m_columns[7]);
    return row;
}

std::vector<FurikomiRow> readFurikomiRows(const sql::Database &db, const std::string &statement)
{
    sql::Statement st = db.prepare(statement);
    const FurikomiRowReader reader(st);
    std::vector<FurikomiRow> rows;
    while (st.step())
        rows.push_back(reader.read());
    return rows;
}

PricedTransfer priceTransfer(const FurikomiRow &row, const RecipientRows &recipients,
                             const std::optional<ConsignorRow> &feeTable)
{
    PricedTransfer priced;
    priced.fee.Kingaku = row.amount;
    GetTesuuryou(priced.fee, priced.bankName, priced.branchName, row.bankNumber, row.branchNumber, row.account,
                 recipients, feeTable);
    if (priced.bankName.empty())
        priced.bankName = row.bankName;
    if (priced.branchName.empty())
        priced.branchName = row.branchName;
    return priced;
}

void LinesFingerprint::consignor(const std::optional<ConsignorRow> &row)
{
    if (!row) {
        m_hash.add(std::string_view("\0", 1));
        return;
    }
    const std::string fields = row->code + '\t' + row->name + '\t' + std::to_string(row->bankNumber) + '\t'
                               + row->bankName + '\t' + std::to_string(row->branchNumber) + '\t' + row->branchName
                               + '\t' + std::to_string(row->accountType) + '\t' + row->account + '\n';
    m_hash.add(fields);
}

void LinesFingerprint::line(const FurikomiRow &row, const PricedTransfer &priced)
{
    const std::string fields = std::to_string(row.bankNumber) + '\t' + row.bankName + '\t'
                               + std::to_string(row.branchNumber) + '\t' + row.branchName + '\t'
                               + std::to_string(row.accountType) + '\t' + row.account + '\t' + row.payee + '\t'
                               + std::to_string(row.amount) + '\t' + std::to_string(priced.fee.JisyaTesuuryou) + '\t'
                               + std::to_string(priced.fee.AitesakiTesuuryou) + '\n';
    m_hash.add(fields);
}

std::string LinesFingerprint::hex()
{
    return m_hash.hex();
}

std::string currentLinesFingerprint(const sql::Database &db, const std::string &consignorCode, int date)
{
    const sql::ReadSnapshot snapshot(db);
    const std::optional<ConsignorRow> consignor = loadConsignorRow(db, consignorCode);
    const RecipientRows recipients(db, consignorCode);
    LinesFingerprint fingerprint;
    fingerprint.consignor(consignor);
    sql::Statement st = db.prepare(BuildFurikomiSql(date, consignorCode, -1));
    const FurikomiRowReader reader(st);
    while (st.step()) {
        const FurikomiRow row = reader.read();
        fingerprint.line(row, priceTransfer(row, recipients, consignor));
    }
    return fingerprint.hex();
}

TFurikomiLine makeFurikomiLine(const FurikomiRow &row, const PricedTransfer &priced)
{
    TFurikomiLine line;
    line.code = formatBankBranch(row.bankNumber, row.branchNumber);
    line.bankName = priced.bankName;
    line.branchName = priced.branchName;
    line.depositType = GetYokinSyubetuName(row.accountType);
    line.payee = row.payee;
    line.amount = formatAmount(priced.amount());
    line.ownFee = formatFee(priced.fee.JisyaTesuuryou);
    line.recipientFee = formatFee(priced.fee.AitesakiTesuuryou);
    return line;
}

void ReadFurikomiLines(const sql::Database &db, int date, const std::string &consignorCode, int facilityKey,
                       FurikomiList &out, const FurikomiLineSink &onLine, bool withFingerprint)
{
    out = FurikomiList();
    // The fee table, the recipients' categories and the lines of one moment.
    const sql::ReadSnapshot snapshot(db);
    const std::optional<ConsignorRow> consignor = loadConsignorRow(db, consignorCode);
    const RecipientRows recipients(db, consignorCode);

    out.allFacilities = isAllFacilityMode(facilityKey);
    out.statement = BuildFurikomiSql(date, consignorCode, facilityKey);
    sql::Statement st = db.prepare(out.statement);
    const FurikomiRowReader reader(st);

    withFingerprint = withFingerprint && out.allFacilities;
    LinesFingerprint fingerprint;
    fingerprint.consignor(consignor);
    try {
        while (st.step()) {
            const FurikomiRow row = reader.read();
            const PricedTransfer priced = priceTransfer(row, recipients, consignor);
            if (withFingerprint)
                fingerprint.line(row, priced);
            onLine(makeFurikomiLine(row, priced));
            out.count += 1;
            out.sum += row.amount;
            out.recipientFees += priced.fee.AitesakiTesuuryou;
            out.paid += priced.amount();
        }
    } catch (...) {
        setTotals(out);
        throw;
    }
    setTotals(out);
    if (withFingerprint)
        out.fingerprint = fingerprint.hex();
}

void LoadFurikomiList(const sql::Database &db, int date, const std::string &consignorCode, int facilityKey,
                      FurikomiList &out, const FurikomiLineSink &onLine)
{
    // The lines read so far stay in `out` when reading fails part way.
    std::vector<TFurikomiLine> lines;
    try {
        ReadFurikomiLines(db, date, consignorCode, facilityKey, out, [&](const TFurikomiLine &line) {
            lines.push_back(line);
            if (onLine)
                onLine(lines.back());
        }, true);
    } catch (...) {
        out.lines = std::move(lines);
        throw;
    }
    out.lines = std::move(lines);
}

FurikomiList LoadFurikomiList(const sql::Database &db, int date, const std::string &consignorCode,
                              int facilityKey)
{
    FurikomiList out;
    LoadFurikomiList(db, date, consignorCode, facilityKey, out);
    return out;
}

} // namespace pelanova::output
