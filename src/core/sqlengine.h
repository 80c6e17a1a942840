#pragma once

// The two engines behind sql::Database and sql::Statement: SQLite on a file
// (the embedded default) and PostgreSQL on a server (an office's shared
// database). Only core/sql*.cpp and the engines see this.

#include "core/sql.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace pelanova::sql::detail {

enum class ValueType { Null, Integer, Text };

class Cursor
{
public:
    virtual ~Cursor() = default;
    virtual void bindInteger(int index, int64_t value) = 0;
    virtual void bindText(int index, std::string_view text) = 0;
    virtual void bindNull(int index) = 0;
    virtual int parameterIndex(const char *name) const = 0; // 0 when there is none
    virtual int parameterCount() const = 0;
    virtual bool step() = 0;
    virtual void reset() = 0;
    virtual void clearBindings() = 0;
    virtual int columnCount() const = 0;
    virtual std::string columnName(int index) const = 0;
    virtual ValueType type(int index) const = 0;
    virtual int64_t integer(int index) const = 0;
    // Valid until the cursor steps again; empty for NULL.
    virtual std::string_view text(int index) const = 0;
    virtual std::string sql() const = 0;
    // Rows come from the database a chunk at a time instead of all at once
    // (an engine that hands out one row a step already does).
    virtual void readInChunks() {}
};

// One value of a row for BulkInsert.
struct BulkValue
{
    ValueType type = ValueType::Null;
    int64_t integer = 0;
    std::string text;
};

// An engine's own way of storing many rows of one table.
class Bulk
{
public:
    virtual ~Bulk() = default;
    virtual void row(const std::vector<BulkValue> &values) = 0;
    virtual void finish() = 0;
};

class Connection
{
public:
    virtual ~Connection() = default;
    virtual Engine engine() const = 0;
    virtual void exec(std::string_view sql) = 0;
    virtual std::unique_ptr<Cursor> prepare(std::string_view sql) = 0;
    virtual bool inTransaction() const = 0;
    // A transaction that will write: it waits for the writer before it (SQLite
    // takes the write lock at once, PostgreSQL the schema's writer turn), so
    // that two writers wait for each other instead of one failing.
    virtual void beginWrite() = 0;
    // A transaction that only reads, every statement of it seeing the same
    // committed state.
    virtual void beginRead() = 0;
    virtual int changes() const = 0;
    virtual bool hasTable(const std::string &name) const = 0;
    virtual std::vector<std::string> columnNames(const std::string &table) const = 0;
    // Every table's columns in one query, as (table, column) in the tables'
    // and their columns' order.
    virtual std::vector<std::pair<std::string, std::string>> tableColumns() const = 0;
    virtual int schemaVersion() const = 0;
    virtual void setSchemaVersion(int version) = 0;
    virtual void setBusyTimeout(int milliseconds) = 0;
    // Null where a prepared INSERT a row is the engine's fastest way.
    virtual std::unique_ptr<Bulk> bulkInsert(const std::string & /*table*/, const std::vector<std::string> & /*columns*/)
    {
        return nullptr;
    }
    virtual sqlite3 *sqliteHandle() const { return nullptr; }
};

std::unique_ptr<Connection> openSqlite(const std::string &path, Database::Mode mode);
std::unique_ptr<Connection> openPostgres(const std::string &location, Database::Mode mode);

} // namespace pelanova::sql::detail
