// SQLite: the own database in a file, the built bank master, and copies in
// memory.
#include "core/sqlengine.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>

namespace pelanova::sql::detail {
namespace {

struct FirstState
{
    bool seen;
    sqlite3_value *value;
    sqlite3_value *order;
};

// FIRST(value, order): the value of the row with the smallest order key.
void firstStep(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    auto *st = static_cast<FirstState *>(sqlite3_aggregate_context(ctx, sizeof(FirstState)));
    if (!st)
        return;
    if (st->seen) {
        const double a = sqlite3_value_double(argv[1]);
        const double b = sqlite3_value_double(st->order);
        if (sqlite3_value_type(argv[1]) == SQLITE_INTEGER && sqlite3_value_type(st->order) == SQLITE_INTEGER) {
            if (sqlite3_value_int64(argv[1]) >= sqlite3_value_int64(st->order))
                return;
        } else if (!(a < b)) {
            return;
        }
        sqlite3_value_free(st->value);
        sqlite3_value_free(st->order);
    }
    st->seen = true;
    st->value = sqlite3_value_dup(argv[0]);
    st->order = sqlite3_value_dup(argv[1]);
}

void firstFinal(sqlite3_context *ctx)
{
    auto *st = static_cast<FirstState *>(sqlite3_aggregate_context(ctx, 0));
    if (!st || !st->seen) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_value(ctx, st->value);
    sqlite3_value_free(st->value);
    sqlite3_value_free(st->order);
}

// The integer part of d; null when it does not fit 64 bits (converting such a
// double to an integer is undefined).
void intOfDouble(sqlite3_context *ctx, double d)
{
    const double whole = std::floor(d);
    if (whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(whole));
    else
        sqlite3_result_null(ctx);
}

// INT(x): integer part; a text of digits ("0005") reads as its value.
void intFunc(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_value *v = argv[0];
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        sqlite3_result_null(ctx);
        return;
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, sqlite3_value_int64(v));
        return;
    default: {
        const int type = sqlite3_value_numeric_type(v);
        if (type == SQLITE_INTEGER)
            sqlite3_result_int64(ctx, sqlite3_value_int64(v));
        else if (type == SQLITE_FLOAT)
            intOfDouble(ctx, sqlite3_value_double(v));
        else
            sqlite3_result_null(ctx);
    }
    }
}

[[noreturn]] void fail(sqlite3 *db, int rc)
{
    throw Error(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc), rc);
}

class SqliteCursor : public Cursor
{
public:
    SqliteCursor(sqlite3 *db, sqlite3_stmt *stmt) : m_db(db), m_stmt(stmt) {}
    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }

    void bindInteger(int index, int64_t value) override { check(sqlite3_bind_int64(m_stmt, index, value)); }
    void bindText(int index, std::string_view text) override
    {
        check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    }
    void bindNull(int index) override { check(sqlite3_bind_null(m_stmt, index)); }
    int parameterIndex(const char *name) const override { return sqlite3_bind_parameter_index(m_stmt, name); }
    int parameterCount() const override { return sqlite3_bind_parameter_count(m_stmt); }

    bool step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        sqlite3_reset(m_stmt);
        fail(m_db, rc);
    }
    void reset() override { sqlite3_reset(m_stmt); }
    void clearBindings() override { sqlite3_clear_bindings(m_stmt); }

    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    std::string columnName(int index) const override
    {
        const char *name = sqlite3_column_name(m_stmt, index);
        return name ? name : std::string();
    }
    ValueType type(int index) const override
    {
        switch (sqlite3_column_type(m_stmt, index)) {
        case SQLITE_NULL: return ValueType::Null;
        case SQLITE_INTEGER: return ValueType::Integer;
        default: return ValueType::Text;
        }
    }
    int64_t integer(int index) const override { return sqlite3_column_int64(m_stmt, index); }
    std::string_view text(int index) const override
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
        if (!p)
            return {};
        return std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, index)));
    }
    std::string sql() const override
    {
        const char *s = sqlite3_sql(m_stmt);
        return s ? s : std::string();
    }

private:
    void check(int rc) const
    {
        if (rc != SQLITE_OK)
            fail(m_db, rc);
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
};

class SqliteConnection : public Connection
{
public:
    explicit SqliteConnection(sqlite3 *db) : m_db(db) {}
    ~SqliteConnection() override { sqlite3_close_v2(m_db); }

    Engine engine() const override { return Engine::SQLite; }

    void exec(std::string_view sql) override
    {
        const std::string text(sql);
        const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            fail(m_db, rc);
    }

    std::unique_ptr<Cursor> prepare(std::string_view sql) override
    {
        sqlite3_stmt *stmt = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
        if (rc != SQLITE_OK)
            fail(m_db, rc);
        return std::make_unique<SqliteCursor>(m_db, stmt);
    }

    bool inTransaction() const override { return !sqlite3_get_autocommit(m_db); }
    void beginWrite() override { exec("BEGIN IMMEDIATE"); }
    // The first read takes the shared lock, which no writer commits past.
    void beginRead() override { exec("BEGIN"); }
    int changes() const override { return sqlite3_changes(m_db); }

    bool hasTable(const std::string &name) const override
    {
        SqliteCursor st(m_db, prepared("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
        st.bindText(1, name);
        return st.step();
    }

    std::vector<std::string> columnNames(const std::string &table) const override
    {
        SqliteCursor st(m_db, prepared("SELECT name FROM pragma_table_info(?) ORDER BY cid"));
        st.bindText(1, table);
        std::vector<std::string> names;
        while (st.step())
            names.emplace_back(st.text(0));
        return names;
    }

    std::vector<std::pair<std::string, std::string>> tableColumns() const override
    {
        SqliteCursor st(m_db, prepared("SELECT m.name, p.name FROM sqlite_master AS m, pragma_table_info(m.name) AS p "
                                       "WHERE m.type = 'table' ORDER BY m.name, p.cid"));
        std::vector<std::pair<std::string, std::string>> columns;
        while (st.step())
            columns.emplace_back(st.text(0), st.text(1));
        return columns;
    }

    int schemaVersion() const override
    {
        SqliteCursor st(m_db, prepared("PRAGMA user_version"));
        return st.step() ? static_cast<int>(st.integer(0)) : 0;
    }
    void setSchemaVersion(int version) override { exec("PRAGMA user_version = " + std::to_string(version)); }
    void setBusyTimeout(int milliseconds) override { sqlite3_busy_timeout(m_db, milliseconds); }
    sqlite3 *sqliteHandle() const override { return m_db; }

private:
    sqlite3_stmt *prepared(const char *sql) const
    {
        sqlite3_stmt *stmt = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
        if (rc != SQLITE_OK)
            fail(m_db, rc);
        return stmt;
    }

    sqlite3 *m_db;
};

} // namespace

std::unique_ptr<Connection> openSqlite(const std::string &path, Database::Mode mode)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Database::Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Database::Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    case Database::Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    }
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw Error(path + ": " + message, rc);
    }
    auto connection = std::make_unique<SqliteConnection>(db);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_create_function_v2(db, "FIRST", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr, firstStep,
                               firstFinal, nullptr);
    // INT is pure, so indexes on expressions may use it.
    sqlite3_create_function_v2(db, "INT", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr, intFunc,
                               nullptr, nullptr, nullptr);
    try {
        // Touch the schema so that a file that is not a database fails here;
        // a file another connection holds locked is one.
        connection->exec("SELECT COUNT(*) FROM sqlite_master");
    } catch (const Error &e) {
        if (!e.isBusy())
            throw;
    }
    connection->setBusyTimeout(kBusyTimeoutSeconds * 1000);
    return connection;
}

} // namespace pelanova::sql::detail
