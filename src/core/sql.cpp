#include "core/sql.h"
#include "core/sqlengine.h"

#include <sqlite3.h>

#include <cctype>

namespace pelanova::sql {
namespace {

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

} // namespace

bool Error::isBusy() const
{
    if (!m_sqlState.empty())
        return m_sqlState == "55P03" || m_sqlState == "40P01" || m_sqlState == "40001";
    return (m_code & 0xFF) == SQLITE_BUSY || (m_code & 0xFF) == SQLITE_LOCKED;
}

// ---------------------------------------------------------------- Database

Database::Database() = default;
Database::~Database() = default;
Database::Database(Database &&other) noexcept = default;
Database &Database::operator=(Database &&other) noexcept = default;

bool Database::isServerLocation(std::string_view location)
{
    if (location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0)
        return true;
    // libpq's keywords: "host=… dbname=…", a keyword first.
    size_t i = 0;
    while (i < location.size() && location[i] == ' ')
        ++i;
    const size_t start = i;
    while (i < location.size() && (std::isalnum(static_cast<unsigned char>(location[i])) || location[i] == '_'))
        ++i;
    while (i < location.size() && location[i] == ' ')
        ++i;
    return i > start && i < location.size() && location[i] == '=';
}

void Database::open(const std::string &location, Mode mode)
{
    close();
    m_connection = isServerLocation(location) ? detail::openPostgres(location, mode) : detail::openSqlite(location, mode);
    m_path = location;
}

void Database::openMemory(const std::string &source)
{
    open(":memory:", Mode::Create);
    m_path = source;
}

void Database::close()
{
    m_connection.reset();
}

void Database::requireOpen() const
{
    if (!m_connection)
        throw Error("database is not open", SQLITE_MISUSE);
}

Engine Database::engine() const
{
    return m_connection ? m_connection->engine() : Engine::SQLite;
}

void Database::exec(std::string_view sql)
{
    requireOpen();
    m_connection->exec(sql);
}

Statement Database::prepare(std::string_view sql) const
{
    requireOpen();
    return Statement(m_connection->prepare(sql));
}

bool Database::inTransaction() const { return m_connection && m_connection->inTransaction(); }
void Database::begin() { exec("BEGIN"); }
void Database::beginWrite()
{
    requireOpen();
    m_connection->beginWrite();
}
void Database::commit() { exec("COMMIT"); }
void Database::rollback()
{
    if (inTransaction())
        exec("ROLLBACK");
}

void Database::beginRead() const
{
    requireOpen();
    m_connection->beginRead();
}

void Database::endRead() const
{
    // Nothing was written: COMMIT and ROLLBACK end it alike, and ROLLBACK
    // still ends it when COMMIT could not.
    try {
        m_connection->exec("COMMIT");
    } catch (...) {
        if (m_connection->inTransaction())
            m_connection->exec("ROLLBACK");
    }
}

int Database::changes() const
{
    requireOpen();
    return m_connection->changes();
}

bool Database::hasTable(const std::string &name) const
{
    requireOpen();
    return m_connection->hasTable(name);
}

std::vector<std::string> Database::columnNames(const std::string &table) const
{
    requireOpen();
    return m_connection->columnNames(table);
}

std::map<std::string, std::vector<std::string>> Database::tableColumns() const
{
    requireOpen();
    std::map<std::string, std::vector<std::string>> tables;
    for (auto &[table, column] : m_connection->tableColumns())
        tables[table].push_back(std::move(column));
    return tables;
}

int Database::schemaVersion() const
{
    requireOpen();
    return m_connection->schemaVersion();
}

void Database::setSchemaVersion(int version)
{
    requireOpen();
    m_connection->setSchemaVersion(version);
}

void Database::setBusyTimeout(int milliseconds)
{
    requireOpen();
    m_connection->setBusyTimeout(milliseconds);
}

sqlite3 *Database::handle() const
{
    return m_connection ? m_connection->sqliteHandle() : nullptr;
}

// ------------------------------------------------------------- Transaction

Transaction::Transaction(Database &db) : m_db(db)
{
    if (m_db.inTransaction()) {
        // Savepoints of the same name nest; each unit releases its own.
        m_savepoint = "pelanova_unit";
        m_db.exec("SAVEPOINT " + m_savepoint);
    } else {
        m_db.beginWrite();
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

ReadSnapshot::ReadSnapshot(const Database &db) : m_db(db)
{
    if (!db.inTransaction()) {
        db.beginRead();
        m_began = true;
    }
}

ReadSnapshot::~ReadSnapshot()
{
    if (!m_began)
        return;
    try {
        m_db.endRead();
    } catch (...) {
    }
}

// -------------------------------------------------------------- BulkInsert

BulkInsert::BulkInsert(Database &db, const std::string &table, std::vector<std::string> columns)
{
    db.requireOpen();
    m_bulk = db.m_connection->bulkInsert(table, columns);
    if (!m_bulk) {
        std::string names;
        std::string places;
        for (const std::string &column : columns) {
            names += (names.empty() ? "" : ", ") + column;
            places += places.empty() ? "?" : ", ?";
        }
        m_insert = std::make_unique<Statement>(db.prepare("INSERT INTO " + table + " (" + names + ")\nVALUES (" + places + ")"));
    }
    m_row.resize(columns.size());
}

BulkInsert::~BulkInsert() = default;

detail::BulkValue &BulkInsert::next()
{
    if (m_filled >= m_row.size())
        throw std::logic_error("BulkInsert: more values than columns");
    return m_row[m_filled++];
}

BulkInsert &BulkInsert::add(int64_t value)
{
    detail::BulkValue &v = next();
    v.type = detail::ValueType::Integer;
    v.integer = value;
    return *this;
}

BulkInsert &BulkInsert::add(std::string_view text)
{
    detail::BulkValue &v = next();
    v.type = detail::ValueType::Text;
    v.text.assign(text);
    return *this;
}

BulkInsert &BulkInsert::add(const std::optional<std::string> &text)
{
    return text ? add(std::string_view(*text)) : addNull();
}

BulkInsert &BulkInsert::addNull()
{
    next().type = detail::ValueType::Null;
    return *this;
}

void BulkInsert::endRow()
{
    if (m_filled != m_row.size())
        throw std::logic_error("BulkInsert: a row of fewer values than columns");
    m_filled = 0;
    if (m_bulk) {
        m_bulk->row(m_row);
        return;
    }
    m_insert->reset();
    for (size_t i = 0; i < m_row.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        const detail::BulkValue &v = m_row[i];
        if (v.type == detail::ValueType::Integer)
            m_insert->bind(index, v.integer);
        else if (v.type == detail::ValueType::Text)
            m_insert->bind(index, std::string_view(v.text));
        else
            m_insert->bindNull(index);
    }
    m_insert->run();
}

void BulkInsert::finish()
{
    if (m_bulk)
        m_bulk->finish();
}

// --------------------------------------------------------------- Statement

Statement::Statement() = default;
Statement::Statement(std::unique_ptr<detail::Cursor> cursor) : m_cursor(std::move(cursor)) {}
Statement::~Statement() = default;
Statement::Statement(Statement &&other) noexcept = default;
Statement &Statement::operator=(Statement &&other) noexcept = default;

detail::Cursor &Statement::cursor() const
{
    if (!m_cursor)
        throw Error("statement is not prepared", SQLITE_MISUSE);
    return *m_cursor;
}

Statement &Statement::bind(int index, int64_t value)
{
    cursor().bindInteger(index, value);
    return *this;
}

Statement &Statement::bind(int index, std::string_view text)
{
    cursor().bindText(index, text);
    return *this;
}

Statement &Statement::bindNull(int index)
{
    cursor().bindNull(index);
    return *this;
}

Statement &Statement::bind(int index, const std::optional<std::string> &text)
{
    return text ? bind(index, std::string_view(*text)) : bindNull(index);
}

Statement &Statement::bindColumnOf(int index, const Statement &from, int column)
{
    switch (from.cursor().type(column)) {
    case detail::ValueType::Null: return bindNull(index);
    case detail::ValueType::Integer: return bind(index, from.int64(column));
    case detail::ValueType::Text: return bind(index, std::string_view(from.text(column)));
    }
    return *this;
}

int Statement::parameterIndex(const char *name) const
{
    const int index = cursor().parameterIndex(name);
    if (index == 0)
        throw Error(std::string("no parameter ") + name, SQLITE_RANGE);
    return index;
}

int Statement::parameterCount() const { return cursor().parameterCount(); }

void Statement::readInChunks() { cursor().readInChunks(); }
bool Statement::step() { return cursor().step(); }

void Statement::run()
{
    while (step()) {
    }
    cursor().reset();
}

void Statement::reset() { cursor().reset(); }
void Statement::clearBindings() { cursor().clearBindings(); }
int Statement::columnCount() const { return cursor().columnCount(); }
std::string Statement::columnName(int index) const { return cursor().columnName(index); }

int Statement::columnIndex(std::string_view name) const
{
    if (m_columns.empty()) {
        const int n = columnCount();
        for (int i = n - 1; i >= 0; --i)
            m_columns[lowerAscii(columnName(i))] = i; // the first of equal names wins
    }
    auto it = m_columns.find(lowerAscii(name));
    return it == m_columns.end() ? -1 : it->second;
}

int Statement::requireColumn(std::string_view name) const
{
    const int index = columnIndex(name);
    if (index < 0)
        throw Error("no column " + std::string(name), SQLITE_RANGE);
    return index;
}

bool Statement::isNull(int index) const { return cursor().type(index) == detail::ValueType::Null; }
int64_t Statement::int64(int index) const { return cursor().integer(index); }
std::string Statement::text(int index) const { return std::string(cursor().text(index)); }
std::string_view Statement::textView(int index) const { return cursor().text(index); }
std::string Statement::sql() const { return m_cursor ? m_cursor->sql() : std::string(); }

// ------------------------------------------------------------------ helpers

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
