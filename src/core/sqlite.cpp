#include "core/sqlite.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>

namespace pelanova::sql {
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

} // namespace

Database::~Database() { close(); }

Database::Database(Database &&other) noexcept
    : m_db(other.m_db), m_path(std::move(other.m_path))
{
    other.m_db = nullptr;
}

Database &Database::operator=(Database &&other) noexcept
{
    if (this != &other) {
        close();
        m_db = other.m_db;
        m_path = std::move(other.m_path);
        other.m_db = nullptr;
    }
    return *this;
}

void Database::open(const std::string &path, Mode mode)
{
    close();
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    case Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    }
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw Error(path + ": " + message, rc);
    }
    m_db = db;
    m_path = path;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_create_function_v2(m_db, "FIRST", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               nullptr, firstStep, firstFinal, nullptr);
    // INT is pure, so indexes on expressions may use it.
    sqlite3_create_function_v2(m_db, "INT", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               intFunc, nullptr, nullptr, nullptr);
    try {
        // Touch the schema so that a file that is not a database fails here;
        // a file another connection holds locked is one.
        exec("SELECT COUNT(*) FROM sqlite_master");
    } catch (const Error &e) {
        if (!e.isBusy()) {
            close();
            throw;
        }
    } catch (...) {
        close();
        throw;
    }
    setBusyTimeout(kBusyTimeoutSeconds * 1000);
}

void Database::setBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

bool Error::isBusy() const
{
    return (m_code & 0xFF) == SQLITE_BUSY || (m_code & 0xFF) == SQLITE_LOCKED;
}

void Database::openMemory(const std::string &source)
{
    open(":memory:", Mode::Create);
    m_path = source;
}

void Database::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void Database::fail(int rc) const
{
    throw Error(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc), rc);
}

void Database::exec(std::string_view sql)
{
    if (!m_db)
        throw Error("database is not open", SQLITE_MISUSE);
    const std::string text(sql);
    const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
}

Statement Database::prepare(std::string_view sql) const
{
    if (!m_db)
        throw Error("database is not open", SQLITE_MISUSE);
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    return Statement(m_db, stmt);
}

bool Database::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }
void Database::begin() { exec("BEGIN"); }
void Database::commit() { exec("COMMIT"); }
void Database::rollback()
{
    if (inTransaction())
        exec("ROLLBACK");
}

int64_t Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }
int Database::changes() const { return sqlite3_changes(m_db); }

bool Database::hasTable(const std::string &name) const
{
    Statement st = prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    st.bind(1, name);
    return st.step();
}

std::vector<std::string> Database::columnNames(const std::string &table) const
{
    Statement st = prepare("SELECT name FROM pragma_table_info(?) ORDER BY cid");
    st.bind(1, table);
    std::vector<std::string> names;
    while (st.step())
        names.push_back(st.text(0));
    return names;
}

int Database::schemaVersion() const
{
    Statement st = prepare("PRAGMA user_version");
    return st.step() ? st.integer(0) : 0;
}

void Database::setSchemaVersion(int version)
{
    exec("PRAGMA user_version = " + std::to_string(version));
}

Transaction::Transaction(Database &db) : m_db(db)
{
    if (m_db.inTransaction()) {
        // Savepoints of the same name nest; each unit releases its own.
        m_savepoint = "pelanova_unit";
        m_db.exec("SAVEPOINT " + m_savepoint);
    } else {
        m_db.begin();
    }
    m_active = true;
}

Transaction::~Transaction()
{
    try {
        rollback();
    } catch (...) {
    }
}

void Transaction::commit()
{
    if (!m_active)
        return;
    // A COMMIT that fails (another connection still reading, disk full) leaves
    // the transaction open: the unit stays active so that it is rolled back.
    if (m_savepoint.empty())
        m_db.commit();
    else
        m_db.exec("RELEASE " + m_savepoint);
    m_active = false;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    if (m_savepoint.empty()) {
        m_db.rollback();
    } else {
        m_db.exec("ROLLBACK TO " + m_savepoint);
        m_db.exec("RELEASE " + m_savepoint);
    }
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

Statement::Statement(Statement &&other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_columns(std::move(other.m_columns))
{
    other.m_stmt = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_columns = std::move(other.m_columns);
        other.m_stmt = nullptr;
    }
    return *this;
}

void Statement::fail(int rc) const
{
    throw Error(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc), rc);
}

Statement &Statement::bind(int index, int64_t value)
{
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement &Statement::bind(int index, std::string_view text)
{
    const int rc = sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement &Statement::bindNull(int index)
{
    const int rc = sqlite3_bind_null(m_stmt, index);
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement &Statement::bind(int index, const std::optional<std::string> &text)
{
    return text ? bind(index, std::string_view(*text)) : bindNull(index);
}

Statement &Statement::bindColumnOf(int index, const Statement &from, int column)
{
    const int rc = sqlite3_bind_value(m_stmt, index, sqlite3_column_value(from.m_stmt, column));
    if (rc != SQLITE_OK)
        fail(rc);
    return *this;
}

int Statement::parameterIndex(const char *name) const
{
    const int index = sqlite3_bind_parameter_index(m_stmt, name);
    if (index == 0)
        throw Error(std::string("no parameter ") + name, SQLITE_RANGE);
    return index;
}

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(m_stmt); }

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    fail(rc);
}

void Statement::run()
{
    while (step()) {
    }
    sqlite3_reset(m_stmt);
}

void Statement::reset() { sqlite3_reset(m_stmt); }
void Statement::clearBindings() { sqlite3_clear_bindings(m_stmt); }

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

std::string Statement::columnName(int index) const
{
    const char *name = sqlite3_column_name(m_stmt, index);
    return name ? name : std::string();
}

int Statement::columnIndex(std::string_view name) const
{
    if (m_columns.empty()) {
        const int n = columnCount();
        for (int i = n - 1; i >= 0; --i)
            m_columns[columnName(i)] = i; // the first of equal names wins
    }
    auto it = m_columns.find(name);
    return it == m_columns.end() ? -1 : it->second;
}

int Statement::requireColumn(std::string_view name) const
{
    const int index = columnIndex(name);
    if (index < 0)
        throw Error("no column " + std::string(name), SQLITE_RANGE);
    return index;
}

bool Statement::isNull(int index) const { return sqlite3_column_type(m_stmt, index) == SQLITE_NULL; }

int64_t Statement::int64(int index) const { return sqlite3_column_int64(m_stmt, index); }

std::string Statement::text(int index) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
    if (!p)
        return {};
    return std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, index)));
}

std::string Statement::sql() const
{
    const char *s = sqlite3_sql(m_stmt);
    return s ? s : std::string();
}

std::string joinLines(std::initializer_list<std::string_view> lines)
{
    std::string out;
    bool first = true;
    for (const std::string_view line : lines) {
        if (!first)
            out += '\n';
        out += line;
        first = false;
    }
    return out;
}

std::string quote(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('\'');
    for (char c : text) {
        if (c == '\0') {
            // SQLite reads statement text only up to a NUL byte, so a NUL
            // inside a value is spelled as char(0) joined to the literal.
            out += "' || char(0) || '";
            continue;
        }
        if (c == '\'')
            out.push_back('\'');
        out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

std::vector<std::string> keyedItems(const Database &db, const std::string &statement, const char *keyColumn,
                                    const char *textColumn)
{
    std::vector<std::string> items;
    Statement st = db.prepare(statement);
    const int key = st.columnIndex(keyColumn);
    const int text = st.columnIndex(textColumn);
    while (st.step())
        items.push_back(st.textOrEmpty(key) + '\t' + st.textOrEmpty(text));
    return items;
}

} // namespace pelanova::sql
