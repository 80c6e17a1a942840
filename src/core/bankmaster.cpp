#include "core/bankmaster.h"

#include "core/accessfile.h"
#include "core/schema.h"
#include "core/sql.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace pelanova::bankmaster {
namespace {

std::string quoteName(const std::string &name)
{
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

// Creates table in db with the given columns and fills it from rows handed
// over by fill(insert), all in one transaction.
template <typename Fill>
void createAndFill(sql::Database &db, const std::string &table, const std::vector<std::string> &definitions,
                   Fill fill)
{
    std::string columns, values;
    for (size_t i = 0; i < definitions.size(); ++i) {
        columns += (i ? ", " : "") + definitions[i];
        values += i ? ", ?" : "?";
    }
    sql::Transaction tx(db);
    db.exec("CREATE TABLE " + quoteName(table) + " (" + columns + ")");
    sql::Statement insert = db.prepare("INSERT INTO " + quoteName(table) + " VALUES (" + values + ")");
    fill(insert);
    tx.commit();
}

void copySqliteTable(sql::Database &db, const std::string &path, const std::string &table)
{
    sql::Database source;
    source.open(path, sql::Database::Mode::ReadOnly);
    if (!source.hasTable(table))
        throw sql::Error(path + ": no table " + table, 1);
    sql::Statement read = source.prepare("SELECT * FROM " + quoteName(table));
    std::vector<std::string> definitions;
    for (int i = 0; i < read.columnCount(); ++i)
        definitions.push_back(quoteName(read.columnName(i)));
    // Values keep the types they have in the file: no declared types.
    createAndFill(db, table, definitions, [&](sql::Statement &insert) {
        while (read.step()) {
            insert.reset();
            for (int i = 0; i < read.columnCount(); ++i)
                insert.bindColumnOf(i + 1, read, i);
            insert.run();
        }
    });
}

} // namespace

void loadAccessTable(sql::Database &db, const std::string &path, const std::string &table)
{
    const access::Table source = access::readTable(path, table);
    std::vector<std::string> definitions;
    for (const access::Column &column : source.columns) {
        // The declared type turns the digits mdbtools gives for numbers back
        // into numbers; text keeps its leading zeros.
        const char *type = "";
        switch (column.kind) {
        case access::ColumnKind::Integer: type = " INTEGER"; break;
        case access::ColumnKind::Real: type = " REAL"; break;
        case access::ColumnKind::Text: type = " TEXT"; break;
        case access::ColumnKind::Other: type = " BLOB"; break;
        }
        definitions.push_back(quoteName(column.name) + type);
    }
    createAndFill(db, table, definitions, [&](sql::Statement &insert) {
        for (const auto &row : source.rows) {
            insert.reset();
            for (size_t i = 0; i < row.size(); ++i)
                insert.bind(static_cast<int>(i + 1), row[i]);
            insert.run();
        }
    });
}

bool connect(sql::Database &connection, const std::string &path)
{
    connection.close();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec))
        return false;
    try {
        sql::Database copy;
        copy.openMemory(path);
        if (access::isAccessDatabase(path))
            loadAccessTable(copy, path, schema::kBankMaster);
        else
            copySqliteTable(copy, path, schema::kBankMaster);
        // Unquoted names: a missing column fails here, not in the first look-up.
        copy.prepare("SELECT 銀行番号, 銀行名, 支店番号, 支店名 FROM T_銀行マスタ");
        // The look-up compares INT() of both numbers; an index on exactly these
        // expressions turns a scan of every branch into a seek.
        copy.exec("CREATE INDEX IX_銀行マスタ_番号 ON T_銀行マスタ (INT(銀行番号), INT(支店番号))");
        copy.exec("PRAGMA query_only = ON");
        connection = std::move(copy);
    } catch (const std::exception &) {
        connection.close();
        return false;
    }
    return true;
}

} // namespace pelanova::bankmaster
