#include "core/schema.h"
#include "core/sql.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace pelanova::schema {
namespace {

constexpr const char *kOwnSchema = R"SQL(
CREATE TABLE T_ヘッダレコード (
  ID INTEGER PRIMARY KEY,
  振込依頼日 INTEGER NOT NULL,
  施設コード INTEGER NOT NULL,
  データ区分 INTEGER,
  種別コード INTEGER,
  コード区分 INTEGER,
  委託者コード TEXT,
  委託者名 TEXT,
  引落日 INTEGER,
  取引銀行コード INTEGER,
  取引銀行名 TEXT,
  取引支店コード INTEGER,
  取引支店名 TEXT,
  預金種目 INTEGER,
  口座番号 TEXT,
  ダミー TEXT,
  更新年月日 INTEGER
);
CREATE INDEX IX_ヘッダ_施設日付 ON T_ヘッダレコード (施設コード, 振込依頼日);
CREATE INDEX IX_ヘッダ_委託者 ON T_ヘッダレコード (委託者コード, 振込依頼日);

CREATE TABLE T_データレコード (
  ID INTEGER PRIMARY KEY,
  振込依頼日 INTEGER NOT NULL,
  施設コード INTEGER NOT NULL,
  取込順番 INTEGER NOT NULL,
  データ区分 INTEGER,
  引落銀行番号 INTEGER,
  引落銀行名 TEXT,
  引落支店番号 INTEGER,
  引落支店名 TEXT,
  ダミー1 TEXT,
  預金項目 INTEGER,
  口座番号 TEXT,
  預金者名 TEXT,
  引落金額 INTEGER,
  新規コード INTEGER,
  顧客番号 TEXT,
  振込結果コード INTEGER,
  ダミー2 TEXT,
  更新年月日 INTEGER
);
CREATE INDEX IX_データ_日付施設 ON T_データレコード (振込依頼日, 施設コード, 取込順番);

CREATE TABLE T_トレーラレコード (
  ID INTEGER PRIMARY KEY,
  振込依頼日 INTEGER NOT NULL,
  施設コード INTEGER NOT NULL,
  データ区分 INTEGER,
  合計件数 INTEGER,
  合計金額 INTEGER,
  振替済件数 INTEGER,
  振替済金額 INTEGER,
  振替不能件数 INTEGER,
  振替不能金額 INTEGER,
  ダミー TEXT,
  更新年月日 INTEGER
);
CREATE INDEX IX_トレーラ_施設日付 ON T_トレーラレコード (施設コード, 振込依頼日);

CREATE TABLE T_エンドレコード (
  ID INTEGER PRIMARY KEY,
  振込依頼日 INTEGER NOT NULL,
  施設コード INTEGER NOT NULL,
  データ区分 INTEGER,
  ダミー TEXT,
  更新年月日 INTEGER
);
CREATE INDEX IX_エンド_施設日付 ON T_エンドレコード (施設コード, 振込依頼日);

CREATE TABLE M_銀行 (
  ID INTEGER PRIMARY KEY,
  委託者コード TEXT NOT NULL,
  委託者名 TEXT,
  銀行番号 INTEGER,
  銀行名 TEXT,
  支店番号 INTEGER,
  支店名 TEXT,
  預金種目 INTEGER,
  口座番号 TEXT,
  当銀行1未満 INTEGER,
  当銀行2未満 INTEGER,
  当銀行1未満電信手数料 INTEGER,
  当銀行2未満電信手数料 INTEGER,
  当銀行3以上電信手数料 INTEGER,
  当銀行1未満文書手数料 INTEGER,
  当銀行2未満文書手数料 INTEGER,
  当銀行3以上文書手数料 INTEGER,
  他支店1未満 INTEGER,
  他支店2未満 INTEGER,
  他支店1未満電信手数料 INTEGER,
  他支店2未満電信手数料 INTEGER,
  他支店3以上電信手数料 INTEGER,
  他支店1未満文書手数料 INTEGER,
  他支店2未満文書手数料 INTEGER,
  他支店3以上文書手数料 INTEGER,
  他銀行1未満 INTEGER,
  他銀行2未満 INTEGER,
  他銀行1未満電信手数料 INTEGER,
  他銀行2未満電信手数料 INTEGER,
  他銀行3以上電信手数料 INTEGER,
  他銀行1未満文書手数料 INTEGER,
  他銀行2未満文書手数料 INTEGER,
  他銀行3以上文書手数料 INTEGER,
  銀行名漢字 TEXT,
  支店名漢字 TEXT
);
CREATE INDEX IX_銀行_委託者 ON M_銀行 (委託者コード);

CREATE TABLE M_受取人 (
  ID INTEGER PRIMARY KEY,
  委託者コード TEXT NOT NULL,
  銀行番号 INTEGER,
  銀行名 TEXT,
  支店番号 INTEGER,
  支店名 TEXT,
  預金種別 INTEGER,
  受取人名 TEXT,
  口座番号 TEXT,
  手数料区分 INTEGER,
  手数料金額 INTEGER,
  銀行名漢字 TEXT,
  支店名漢字 TEXT
);
CREATE INDEX IX_受取人_口座 ON M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号);

CREATE TABLE M_施設 (
  ID INTEGER PRIMARY KEY,
  施設コード INTEGER NOT NULL,
  施設名 TEXT,
  総合振込データファイル名 TEXT
);
CREATE UNIQUE INDEX IX_施設_コード ON M_施設 (施設コード);
)SQL";

// Indexes added after the first databases were made: created with every new
// database, and on the next opening of an older one.
// What later versions added: created with every new database, and on the
// first opening of an older one.
struct Step
{
    int version;
    const char *sql;
    const char *table; // the table the step adds, if any
};
constexpr Step kSteps[] = {
    // The merged lines group a date's transfers by destination account
    // without reading a table row.
    {2, R"SQL(
CREATE INDEX IF NOT EXISTS IX_データ_口座 ON T_データレコード (振込依頼日, 引落銀行番号, 引落支店番号, 預金項目, 口座番号,
                                                       施設コード, 引落金額);
)SQL", nullptr},
    // Every bank file made: what it held, who made it where, and a
    // fingerprint of the lines it was made from.
    {3, R"SQL(
CREATE TABLE IF NOT EXISTS T_作成履歴 (
  ID INTEGER PRIMARY KEY,
  委託者コード TEXT NOT NULL,
  振込依頼日 INTEGER NOT NULL,
  作成日時 TEXT NOT NULL,
  作成者 TEXT,
  ファイル名 TEXT,
  件数 INTEGER,
  合計金額 INTEGER,
  SHA256 TEXT,
  明細指紋 TEXT
);
CREATE INDEX IF NOT EXISTS IX_作成履歴_委託者日付 ON T_作成履歴 (委託者コード, 振込依頼日, ID);
CREATE INDEX IF NOT EXISTS IX_作成履歴_SHA256 ON T_作成履歴 (SHA256);
)SQL", kHistory},
    // A consignor's recipients in stored order.
    {4, R"SQL(
CREATE INDEX IF NOT EXISTS IX_受取人_委託者 ON M_受取人 (委託者コード);
)SQL", nullptr},
    // The fee inputs of a report or a list read a consignor's recipients in
    // account order from the index alone, without reading the table.
    {5, R"SQL(
CREATE INDEX IF NOT EXISTS IX_受取人_手数料 ON M_受取人 (委託者コード, 銀行番号, 支店番号, 口座番号, ID, 手数料区分,
                                                  手数料金額, 銀行名漢字, 支店名漢字);
)SQL", nullptr},
};
static_assert(kSteps[std::size(kSteps) - 1].version == kSchemaVersion);

std::string lowerAscii(std::string s)
{
    for (char &c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

const char *const kOwnTables[] = {kHeader, kData, kTrailer, kEnd, kConsignor, kRecipient, kFacility};

// The columns of each table a script creates, read off its text: every
// column of a CREATE TABLE stands on a line of its own ("  名前 TYPE ...,"),
// and the table ends with a line that starts with ")".
void addCreatedTables(std::string_view script, int since, std::vector<TableColumns> &out)
{
    constexpr std::string_view kCreate = "CREATE TABLE ";
    constexpr std::string_view kIfNotExists = "IF NOT EXISTS ";
    TableColumns *table = nullptr;
    while (!script.empty()) {
        const size_t end = script.find('\n');
        std::string_view line = script.substr(0, end);
        script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
        if (table) {
            const size_t start = line.find_first_not_of(' ');
            if (start == std::string_view::npos)
                continue;
            line.remove_prefix(start);
            if (line.front() == ')') {
                table = nullptr;
                continue;
            }
            table->columns.emplace_back(line.substr(0, line.find_first_of(" ,")));
        } else if (line.substr(0, kCreate.size()) == kCreate) {
            line.remove_prefix(kCreate.size());
            if (line.substr(0, kIfNotExists.size()) == kIfNotExists)
                line.remove_prefix(kIfNotExists.size());
            out.push_back({std::string(line.substr(0, line.find_first_of(" ("))), since, {}});
            table = &out.back();
        }
    }
}

void runSteps(sql::Database &db, int from)
{
    for (const Step &step : kSteps) {
        if (step.version > from)
            db.exec(step.sql);
    }
}

} // namespace

// Read off the schema's own text, so that the check of every database opened
// costs no database made to learn them.
const std::vector<TableColumns> &expectedColumns()
{
    static const auto columns = [] {
        std::vector<TableColumns> all;
        addCreatedTables(kOwnSchema, 1, all);
        for (const Step &step : kSteps)
            addCreatedTables(step.sql, step.version, all);
        return all;
    }();
    return columns;
}

void createOwnDatabase(sql::Database &db)
{
    sql::Transaction tx(db);
    db.exec(kOwnSchema);
    runSteps(db, 1);
    db.setSchemaVersion(kSchemaVersion);
    tx.commit();
}

void upgrade(sql::Database &db)
{
    const int version = db.schemaVersion();
    if (version >= kSchemaVersion)
        return;
    sql::Transaction tx(db);
    // A database of before versions ran its steps as they came: each step
    // is made so that it may run again.
    runSteps(db, version == 0 ? 1 : version);
    db.setSchemaVersion(kSchemaVersion);
    tx.commit();
}

std::string schemaProblem(const sql::Database &db)
{
    const int version = db.schemaVersion();
    if (version > kSchemaVersion)
        return "このデータベースは新しい版のプログラムで作られています（データベースの版 " + std::to_string(version)
               + "、このプログラムの版 " + std::to_string(kSchemaVersion) + "）。新しい版のプログラムでお使いください。";
    // A server writes the names it was given without quotes in lower case.
    std::map<std::string, std::vector<std::string>> tables;
    for (auto &[table, columns] : db.tableColumns()) {
        std::vector<std::string> &present = tables[lowerAscii(table)];
        for (const std::string &column : columns)
            present.push_back(lowerAscii(column));
    }
    for (const auto &[table, since, columns] : expectedColumns()) {
        // A table a later version adds comes with the upgrade.
        if (since > std::max(version, 1))
            continue;
        const auto found = tables.find(lowerAscii(table));
        if (found == tables.end())
            return "このプログラムのデータベースではありません（テーブル " + table + " がありません）。";
        const std::vector<std::string> &present = found->second;
        for (const std::string &column : columns) {
            if (std::find(present.begin(), present.end(), lowerAscii(column)) == present.end())
                return "データベースが壊れています（テーブル " + table + " に列 " + column + " がありません）。";
        }
    }
    return {};
}

bool hasOwnTables(const sql::Database &db)
{
    for (const char *table : kOwnTables) {
        if (!db.hasTable(table))
            return false;
    }
    return true;
}

void createBankMaster(sql::Database &db)
{
    db.exec("CREATE TABLE T_銀行マスタ (ID INTEGER PRIMARY KEY, 銀行番号 TEXT, 銀行名 TEXT, "
            "支店番号 TEXT, 支店名 TEXT, 銀行名カナ TEXT, 支店名カナ TEXT)");
}

} // namespace pelanova::schema
