#pragma once

#include <string>

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
// Table of the external bank master database.
inline constexpr const char *kBankMaster = "T_銀行マスタ";

// Every table carries an INTEGER PRIMARY KEY "ID": the row's insertion key.
// It survives VACUUM (plain rowids may not), so "the group's earliest stored
// row" is the row with the smallest ID.

// Creates the seven tables and their indexes in an empty database. Only
// pelanova-cli init-db and tests call this; the application never creates tables.
void createOwnDatabase(sql::Database &db);

// Creates the indexes that a database made by an earlier version lacks (the
// merged lines' grouping index). Throws when the database cannot be written.
void addMissingIndexes(sql::Database &db);

// True when every table of the own database exists.
bool hasOwnTables(const sql::Database &db);

// Creates T_銀行マスタ as pelanova-cli bank-master build makes it: the four
// columns the look-ups read and the katakana names beside them. The system
// itself only reads a bank master.
void createBankMaster(sql::Database &db);

} // namespace pelanova::schema
