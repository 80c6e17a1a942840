#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pelanova::sql {
class Database;
}

namespace pelanova::schema {

// Table names of the system's own database.
inline constexpr const char *kHeader = "T_ヘッダレコード";
inline constexpr const char *kData = "T_データレコード";
inline constexpr const char *kTrailer = "T_トレーラレコード";
inline constexpr const char *kEnd = "T_エンドレコード";
inline constexpr const char *kConsignor = "M_銀行";
inline constexpr const char *kRecipient = "M_受取人";
inline constexpr const char *kFacility = "M_施設";
inline constexpr const char *kHistory = "T_作成履歴";
// Every table of the own database.
inline constexpr const char *kAllTables[] = {kHeader, kData, kTrailer, kEnd, kConsignor, kRecipient, kFacility, kHistory};
// Table of the external bank master database.
inline constexpr const char *kBankMaster = "T_銀行マスタ";

// Every table carries an INTEGER PRIMARY KEY "ID": the row's insertion key.
// It survives VACUUM (plain rowids may not), so "the group's earliest stored
// row" is the row with the smallest ID.

// Creates the seven tables and their indexes in an empty database. Only
// pelanova-cli init-db and tests call this; the application never creates tables.
void createOwnDatabase(sql::Database &db);

// The version of the own database's schema that this program makes and
// reads. A database made before versions were kept reads as version 0.
//   1: the seven tables
//   2: the merged lines' grouping index
//   3: the record of the bank files made (T_作成履歴)
//   4: the index of each consignor's recipients
//   5: the index of each consignor's recipients by account, with their fee columns
inline constexpr int kSchemaVersion = 5;

// True when every table of the own database exists.
bool hasOwnTables(const sql::Database &db);

// Why this program cannot work on the open database, in Japanese: a table or
// a column missing, or a schema of a newer version than this program's.
// Empty when it can (an older version is brought up to date by upgrade()).
std::string schemaProblem(const sql::Database &db);

// The columns of every table this version makes, in their order, as
// (table, columns), each with the version that added the table.
struct TableColumns
{
    std::string table;
    int since;
    std::vector<std::string> columns;
};
const std::vector<TableColumns> &expectedColumns();

// Brings a database of an older version up to kSchemaVersion (what later
// versions added, then the version itself), in one transaction. Throws
// when the database cannot be written.
void upgrade(sql::Database &db);

// Creates T_銀行マスタ as pelanova-cli bank-master build makes it: the four
// columns the look-ups read and the katakana names beside them. The system
// itself only reads a bank master.
void createBankMaster(sql::Database &db);

} // namespace pelanova::schema
