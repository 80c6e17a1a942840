#include "core/databasecopy.h"
#include "core/schema.h"
#include "core/sql.h"

#include <algorithm>

namespace pelanova {
namespace {

int64_t rowCount(const sql::Database &db, const std::string &table)
{
    sql::Statement st = db.prepare("SELECT COUNT(*) FROM " + table);
    return st.step() ? st.int64(0) : 0;
}

bool hasAnyOwnTable(const sql::Database &db)
{
    return std::any_of(std::begin(schema::kAllTables), std::end(schema::kAllTables),
                       [&](const char *table) { return db.hasTable(table); });
}

} // namespace

std::vector<CopiedTable> copyOwnDatabase(const sql::Database &from, sql::Database &to)
{
    if (!schema::hasOwnTables(from))
        throw DatabaseCopyError(from.path() + ": このプログラムのデータベースではありません（振込データのテーブルがありません）。");
    if (const std::string problem = schema::schemaProblem(from); !problem.empty())
        throw DatabaseCopyError(from.path() + ": " + problem);
    if (from.schemaVersion() != schema::kSchemaVersion)
        throw DatabaseCopyError(from.path() + ": 古い版のデータベースです。一度このプログラムで開いてからコピーしてください。");

    sql::Transaction tx(to);
    if (hasAnyOwnTable(to)) {
        if (const std::string problem = schema::schemaProblem(to); !problem.empty())
            throw DatabaseCopyError(to.path() + ": " + problem);
        for (const char *table : schema::kAllTables) {
            if (const int64_t rows = rowCount(to, table); rows != 0)
                throw DatabaseCopyError(to.path() + ": コピー先のデータベースは空ではありません（" + table + " に "
                                        + std::to_string(rows) + " 行）。空のデータベースにコピーしてください。");
        }
    } else {
        schema::createOwnDatabase(to);
    }

    std::vector<CopiedTable> copied;
    for (const char *table : schema::kAllTables) {
        const std::vector<std::string> columns = from.columnNames(table);
        std::string names;
        std::string places;
        for (const std::string &column : columns) {
            names += (names.empty() ? "" : ", ") + column;
            places += places.empty() ? "?" : ", ?";
        }
        sql::Statement read = from.prepare("SELECT " + names + " FROM " + table + " ORDER BY ID");
        sql::Statement write = to.prepare(std::string("INSERT INTO ") + table + " (" + names + ") VALUES (" + places + ")");
        int64_t rows = 0;
        while (read.step()) {
            write.reset();
            for (int i = 0; i < static_cast<int>(columns.size()); ++i)
                write.bindColumnOf(i + 1, read, i);
            write.run();
            ++rows;
        }
        const int64_t source = rowCount(from, table);
        const int64_t target = rowCount(to, table);
        if (rows != source || target != source)
            throw DatabaseCopyError(std::string("コピーした行数が合いません（") + table + ": コピー元 "
                                    + std::to_string(source) + " 行、コピー先 " + std::to_string(target)
                                    + " 行）。何もコピーしていません。");
        if (to.engine() == sql::Engine::PostgreSQL)
            to.exec(std::string("SELECT setval(pg_get_serial_sequence('") + table + "', 'id'), COALESCE(MAX(ID), 0) + 1, false) FROM "
                    + table);
        copied.push_back({table, rows});
    }
    tx.commit();
    return copied;
}

} // namespace pelanova
