// PostgreSQL: the own database of an office on a server several clerks
// share, through libpq. Statements are written once for both engines and put
// into the server's terms by postgresdialect.
#include "core/postgresdialect.h"
#include "core/sqlengine.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <utility>

namespace pelanova::sql::detail {
namespace {

constexpr unsigned kInt2 = 21, kInt4 = 23, kInt8 = 20, kNumeric = 1700, kOid = 26;
// Rows a statement read in chunks takes from the server at a time.
constexpr int kChunkRows = 1000;

std::string firstLine(const char *message)
{
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// What a failed connection means to the clerk.
Error connectionError(PGconn *conn)
{
    const std::string message = firstLine(PQerrorMessage(conn));
    std::string sentence;
    if (message.find("password") != std::string::npos || message.find("authentication") != std::string::npos)
        sentence = "データベースサーバーがログインを受け付けませんでした（ユーザー名かパスワードが違います）。";
    else if (message.find("does not exist") != std::string::npos && message.find("database") != std::string::npos)
        sentence = "データベースサーバーに、接続先のデータベースがありません。";
    else if (message.find("timeout") != std::string::npos)
        sentence = "データベースサーバーが応答しません（10秒待ちました）。";
    else
        sentence = "データベースサーバーに接続できません（サーバーが止まっているか、接続先が違います）。";
    // libpq's own words, for whoever looks after the server: their first line.
    const std::string detail = message.substr(0, message.find('\n'));
    return Error(sentence + "\n\r（" + detail + "）", Error::kPostgresConnection);
}

class PgConnection;

class PgCursor : public Cursor
{
public:
    PgCursor(PgConnection &connection, std::string source, Translated translated, std::string name, PGresult *description);
    ~PgCursor() override;

    void bindInteger(int index, int64_t value) override { set(index, std::to_string(value)); }
    void bindText(int index, std::string_view text) override { set(index, std::string(text)); }
    void bindNull(int index) override
    {
        check(index);
        m_values[static_cast<size_t>(index - 1)].reset();
        discard();
    }
    int parameterIndex(const char *name) const override
    {
        for (size_t i = 0; i < m_names.size(); ++i) {
            if (m_names[i] == name)
                return static_cast<int>(i + 1);
        }
        return 0;
    }
    int parameterCount() const override { return static_cast<int>(m_names.size()); }

    bool step() override;
    void reset() override { discard(); }
    void clearBindings() override
    {
        for (auto &v : m_values)
            v.reset();
    }

    int columnCount() const override { return static_cast<int>(m_columnNames.size()); }
    std::string columnName(int index) const override
    {
        return index >= 0 && index < columnCount() ? m_columnNames[static_cast<size_t>(index)] : std::string();
    }
    ValueType type(int index) const override
    {
        if (!m_result || m_row < 0 || PQgetisnull(m_result, m_row, index))
            return ValueType::Null;
        const unsigned type = PQftype(m_result, index);
        return type == kInt2 || type == kInt4 || type == kInt8 || type == kNumeric || type == kOid ? ValueType::Integer
                                                                                               : ValueType::Text;
    }
    int64_t integer(int index) const override
    {
        if (!m_result || m_row < 0 || PQgetisnull(m_result, m_row, index))
            return 0;
        return std::strtoll(PQgetvalue(m_result, m_row, index), nullptr, 10);
    }
    std::string_view text(int index) const override
    {
        if (!m_result || m_row < 0 || PQgetisnull(m_result, m_row, index))
            return {};
        return std::string_view(PQgetvalue(m_result, m_row, index),
                                static_cast<size_t>(PQgetlength(m_result, m_row, index)));
    }
    std::string sql() const override { return m_source; }
    void readInChunks() override { m_chunked = true; }

private:
    std::vector<const char *> values() const
    {
        std::vector<const char *> values(m_values.size());
        for (size_t i = 0; i < m_values.size(); ++i)
            values[i] = m_values[i] ? m_values[i]->c_str() : nullptr;
        return values;
    }
    void execute();
    void declare();
    void fetch();
    void closeRows();
    void check(int index) const
    {
        if (index < 1 || index > static_cast<int>(m_values.size()))
            throw Error("bind index " + std::to_string(index) + " out of range", 25);
    }
    void set(int index, std::string value)
    {
        check(index);
        m_values[static_cast<size_t>(index - 1)] = std::move(value);
        discard();
    }
    void discard()
    {
        closeRows();
        if (m_result)
            PQclear(m_result);
        m_result = nullptr;
        m_row = -1;
        m_rows = 0;
    }

    PgConnection &m_connection;
    std::string m_source;
    std::string m_name;
    std::string m_serverSql;
    bool m_chunked = false;
    std::string m_rowsCursor; // the server's cursor of a statement read in chunks, while open
    int m_declared = 0;
    std::vector<std::string> m_names;
    std::vector<std::optional<std::string>> m_values;
    std::vector<std::string> m_columnNames;
    PGresult *m_result = nullptr;
    int m_row = -1;
    int m_rows = 0;
};

class PgConnection : public Connection
{
public:
    explicit PgConnection(PGconn *conn) : m_conn(conn) {}
    ~PgConnection() override { PQfinish(m_conn); }

    Engine engine() const override { return Engine::PostgreSQL; }
    PGconn *conn() const { return m_conn; }

    // Raises the server's error of a result, clearing it.
    [[noreturn]] void fail(PGresult *result) const
    {
        std::string state;
        std::string message = firstLine(PQerrorMessage(m_conn));
        if (result) {
            if (const char *s = PQresultErrorField(result, PG_DIAG_SQLSTATE))
                state = s;
            if (const char *m = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY); m && *m)
                message = m;
            PQclear(result);
        }
        const int code = PQstatus(m_conn) == CONNECTION_OK ? Error::kPostgresStatement : Error::kPostgresConnection;
        throw Error(message, code, state);
    }

    void exec(std::string_view sql) override
    {
        dropPending();
        PGresult *result = PQexec(m_conn, serverScript(sql).c_str());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            fail(result);
        noteChanges(result);
        PQclear(result);
    }

    std::unique_ptr<Cursor> prepare(std::string_view sql) override
    {
        dropPending();
        Translated translated = translate(sql);
        const std::string name = "pelanova_" + std::to_string(++m_statements);
        PGresult *prepared = PQprepare(m_conn, name.c_str(), translated.sql.c_str(), 0, nullptr);
        if (PQresultStatus(prepared) != PGRES_COMMAND_OK)
            fail(prepared);
        PQclear(prepared);
        PGresult *description = PQdescribePrepared(m_conn, name.c_str());
        if (PQresultStatus(description) != PGRES_COMMAND_OK) {
            deallocate(name);
            fail(description);
        }
        return std::make_unique<PgCursor>(*this, std::string(sql), std::move(translated), name, description);
    }

    bool inTransaction() const override
    {
        const PGTransactionStatusType status = PQtransactionStatus(m_conn);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
    }
    // Writers take turns, as on SQLite: the first writing statement of a
    // transaction would otherwise see only what was committed before it, so
    // two imports could both find no header of the day, or both register the
    // same new recipient. The turn is the schema's (every clerk of one office
    // shares it), released with the transaction, and waited for as long as
    // any lock.
    void beginRead() override { exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"); }

    void beginWrite() override
    {
        exec("BEGIN");
        try {
            exec("SELECT pg_advisory_xact_lock(hashtext('pelanova writer ' || current_schema()))");
        } catch (...) {
            try {
                exec("ROLLBACK");
            } catch (...) {
            }
            throw;
        }
    }
    int changes() const override { return m_changes; }

    void noteChanges(PGresult *result)
    {
        const char *tuples = PQcmdTuples(result);
        if (tuples && *tuples)
            m_changes = std::atoi(tuples);
    }

    // From the catalog itself: the information schema's views take many
    // times as long to answer, the more so in a connection's first queries.
    bool hasTable(const std::string &name) const override
    {
        return !query("SELECT 1 FROM pg_catalog.pg_class WHERE relnamespace = current_schema()::regnamespace "
                      "AND relname = $1 AND relkind IN ('r', 'p', 'v', 'm', 'f')",
                      lowerAscii(name))
                    .empty();
    }

    std::vector<std::string> columnNames(const std::string &table) const override
    {
        return query("SELECT a.attname FROM pg_catalog.pg_attribute AS a JOIN pg_catalog.pg_class AS c "
                     "ON a.attrelid = c.oid WHERE c.relnamespace = current_schema()::regnamespace AND c.relname = $1 "
                     "AND c.relkind IN ('r', 'p', 'v', 'm', 'f') AND a.attnum > 0 AND NOT a.attisdropped "
                     "ORDER BY a.attnum",
                     lowerAscii(table));
    }

    std::vector<std::pair<std::string, std::string>> tableColumns() const override
    {
        PGresult *result = PQexec(m_conn, "SELECT c.relname, a.attname FROM pg_catalog.pg_class AS c "
                                          "JOIN pg_catalog.pg_attribute AS a ON a.attrelid = c.oid "
                                          "WHERE c.relnamespace = current_schema()::regnamespace "
                                          "AND c.relkind IN ('r', 'p', 'v', 'm', 'f') "
                                          "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY c.relname, a.attnum");
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            fail(result);
        std::vector<std::pair<std::string, std::string>> columns;
        for (int r = 0; r < PQntuples(result); ++r)
            columns.emplace_back(PQgetvalue(result, r, 0), PQgetvalue(result, r, 1));
        PQclear(result);
        return columns;
    }

    int schemaVersion() const override
    {
        if (!hasTable("pelanova_schema"))
            return 0;
        const std::vector<std::string> version = query("SELECT version FROM pelanova_schema", std::string(), false);
        return version.empty() ? 0 : std::atoi(version.front().c_str());
    }

    void setSchemaVersion(int version) override
    {
        exec("CREATE TABLE IF NOT EXISTS pelanova_schema (version INTEGER NOT NULL);\n"
             "DELETE FROM pelanova_schema;\n"
             "INSERT INTO pelanova_schema (version) VALUES (" + std::to_string(version) + ")");
    }

    // A lock another clerk holds is waited for as long as SQLite's busy
    // timeout; no wait at all is the shortest the server knows (its 0 would
    // wait for ever).
    void setBusyTimeout(int milliseconds) override
    {
        exec("SET lock_timeout = " + std::to_string(std::max(milliseconds, 1)));
    }

    std::unique_ptr<Bulk> bulkInsert(const std::string &table, const std::vector<std::string> &columns) override;

    // Sends one COPY of the rows in text form.
    void copy(const std::string &statement, const std::string &rows)
    {
        dropPending();
        PGresult *started = PQexec(m_conn, statement.c_str());
        if (PQresultStatus(started) != PGRES_COPY_IN)
            fail(started);
        PQclear(started);
        if (PQputCopyData(m_conn, rows.data(), static_cast<int>(rows.size())) != 1
            || PQputCopyEnd(m_conn, nullptr) != 1)
            fail(nullptr);
        PGresult *result = PQgetResult(m_conn);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        // The end of the command: its last result, then none.
        for (PGresult *more = PQgetResult(m_conn); more; more = PQgetResult(m_conn))
            PQclear(more);
        if (!ok)
            fail(result);
        noteChanges(result);
        PQclear(result);
    }

    // A prepared statement that could not be released in a failed
    // transaction is released once the connection works again.
    void deallocate(const std::string &name)
    {
        if (!releasableNow(m_pending, name))
            return;
        PQclear(PQexec(m_conn, ("DEALLOCATE " + name).c_str()));
    }

    // A cursor that outlives its transaction is closed; one its transaction
    // took with it on a rollback is gone already.
    void closeCursor(const std::string &name)
    {
        if (!releasableNow(m_pendingCursors, name))
            return;
        const char *values[1] = {name.c_str()};
        PGresult *open = PQexecParams(m_conn, "SELECT 1 FROM pg_cursors WHERE name = $1", 1, nullptr, values, nullptr,
                                      nullptr, 0);
        const bool isOpen = PQresultStatus(open) == PGRES_TUPLES_OK && PQntuples(open) > 0;
        PQclear(open);
        if (isOpen)
            PQclear(PQexec(m_conn, ("CLOSE " + name).c_str()));
    }

private:
    // False when the server's object cannot be released now: the connection
    // is gone (and the object with it), or its transaction has failed (the
    // name is kept for later).
    bool releasableNow(std::vector<std::string> &pending, const std::string &name)
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            return false;
        if (PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
            pending.push_back(name);
            return false;
        }
        return true;
    }

    static std::string lowerAscii(std::string s)
    {
        for (char &c : s) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return s;
    }

    // The first column of every row of a statement of at most one parameter.
    std::vector<std::string> query(const char *sql, const std::string &parameter, bool withParameter = true) const
    {
        const char *values[1] = {parameter.c_str()};
        PGresult *result = PQexecParams(m_conn, sql, withParameter ? 1 : 0, nullptr, withParameter ? values : nullptr,
                                        nullptr, nullptr, 0);
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            fail(result);
        std::vector<std::string> rows;
        for (int r = 0; r < PQntuples(result); ++r)
            rows.emplace_back(PQgetvalue(result, r, 0));
        PQclear(result);
        return rows;
    }

    void dropPending()
    {
        if ((m_pending.empty() && m_pendingCursors.empty()) || PQtransactionStatus(m_conn) == PQTRANS_INERROR)
            return;
        for (const std::string &name : m_pending)
            PQclear(PQexec(m_conn, ("DEALLOCATE " + name).c_str()));
        m_pending.clear();
        for (const std::string &name : std::exchange(m_pendingCursors, {}))
            closeCursor(name);
    }

    PGconn *m_conn;
    uint64_t m_statements = 0;
    int m_changes = 0;
    std::vector<std::string> m_pending;
    std::vector<std::string> m_pendingCursors;
};

PgCursor::PgCursor(PgConnection &connection, std::string source, Translated translated, std::string name,
                   PGresult *description)
    : m_connection(connection), m_source(std::move(source)), m_name(std::move(name)),
      m_serverSql(std::move(translated.sql)), m_names(std::move(translated.names))
{
    m_values.resize(m_names.size());
    for (int i = 0; i < PQnfields(description); ++i)
        m_columnNames.emplace_back(PQfname(description, i));
    PQclear(description);
}

PgCursor::~PgCursor()
{
    discard();
    m_connection.deallocate(m_name);
}

void PgCursor::execute()
{
    const std::vector<const char *> values = this->values();
    std::vector<int> lengths(m_values.size());
    for (size_t i = 0; i < m_values.size(); ++i)
        lengths[i] = m_values[i] ? static_cast<int>(m_values[i]->size()) : 0;
    PGresult *result = PQexecPrepared(m_connection.conn(), m_name.c_str(), static_cast<int>(values.size()),
                                      values.data(), lengths.data(), nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        m_connection.fail(result);
    m_connection.noteChanges(result);
    m_result = result;
    m_rows = status == PGRES_TUPLES_OK ? PQntuples(result) : 0;
    m_row = -1;
}

// A cursor of the server that outlives the transaction it is declared in
// (the server then keeps the rows that are left), so that the rows read
// later are still those of the moment it was declared, whatever commits
// meanwhile, and other statements may run between two chunks.
void PgCursor::declare()
{
    const std::vector<const char *> values = this->values();
    const std::string name = m_name + "_rows" + std::to_string(++m_declared);
    const std::string statement = "DECLARE " + name + " NO SCROLL CURSOR WITH HOLD FOR " + m_serverSql;
    PGresult *declared = PQexecParams(m_connection.conn(), statement.c_str(), static_cast<int>(values.size()), nullptr,
                                      values.data(), nullptr, nullptr, 0);
    if (PQresultStatus(declared) != PGRES_COMMAND_OK)
        m_connection.fail(declared);
    PQclear(declared);
    m_rowsCursor = name;
    fetch();
}

void PgCursor::fetch()
{
    PGresult *result =
        PQexec(m_connection.conn(), ("FETCH FORWARD " + std::to_string(kChunkRows) + " FROM " + m_rowsCursor).c_str());
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
        m_connection.fail(result);
    if (m_result)
        PQclear(m_result);
    m_result = result;
    m_rows = PQntuples(result);
    m_row = -1;
}

void PgCursor::closeRows()
{
    if (m_rowsCursor.empty())
        return;
    m_connection.closeCursor(m_rowsCursor);
    m_rowsCursor.clear();
}

bool PgCursor::step()
{
    if (!m_result) {
        if (m_chunked && !m_columnNames.empty())
            declare();
        else
            execute();
    }
    if (m_row + 1 >= m_rows && !m_rowsCursor.empty() && m_rows == kChunkRows)
        fetch();
    if (m_row + 1 < m_rows) {
        ++m_row;
        return true;
    }
    closeRows();
    m_row = m_rows; // past the last row until reset
    return false;
}

} // namespace

// Rows gathered in COPY's text form and sent a chunk at a time, each chunk a
// COPY of its own, so that other statements may come between two chunks.
class PgBulk : public Bulk
{
public:
    PgBulk(PgConnection &connection, const std::string &table, const std::vector<std::string> &columns)
        : m_connection(connection)
    {
        m_statement = "COPY " + table + " (";
        for (size_t i = 0; i < columns.size(); ++i)
            m_statement += (i ? ", " : "") + columns[i];
        m_statement += ") FROM STDIN";
    }

    void row(const std::vector<BulkValue> &values) override
    {
        for (size_t i = 0; i < values.size(); ++i) {
            if (i)
                m_rows += '\t';
            const BulkValue &v = values[i];
            if (v.type == ValueType::Null) {
                m_rows += "\\N";
            } else if (v.type == ValueType::Integer) {
                m_rows += std::to_string(v.integer);
            } else {
                for (const char c : v.text) {
                    switch (c) {
                    case '\\': m_rows += "\\\\"; break;
                    case '\t': m_rows += "\\t"; break;
                    case '\n': m_rows += "\\n"; break;
                    case '\r': m_rows += "\\r"; break;
                    default: m_rows += c;
                    }
                }
            }
        }
        m_rows += '\n';
        if (m_rows.size() >= kChunkBytes)
            finish();
    }

    void finish() override
    {
        if (m_rows.empty())
            return;
        std::string rows;
        rows.swap(m_rows);
        m_connection.copy(m_statement, rows);
    }

private:
    static constexpr size_t kChunkBytes = 1 << 20;
    PgConnection &m_connection;
    std::string m_statement;
    std::string m_rows;
};

std::unique_ptr<Bulk> PgConnection::bulkInsert(const std::string &table, const std::vector<std::string> &columns)
{
    return std::make_unique<PgBulk>(*this, table, columns);
}

std::unique_ptr<Connection> openPostgres(const std::string &location, Database::Mode mode)
{
    // The location's own settings win over the connect timeout; the client
    // speaks UTF-8 whatever it says.
    const char *keywords[] = {"connect_timeout", "application_name", "dbname", "client_encoding", nullptr};
    const char *values[] = {"10", "pelanova", location.c_str(), "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keywords, values, 1);
    if (!conn)
        throw Error("データベースサーバーに接続できません。", Error::kPostgresConnection);
    if (PQstatus(conn) != CONNECTION_OK) {
        const Error error = connectionError(conn);
        PQfinish(conn);
        throw error;
    }
    auto connection = std::make_unique<PgConnection>(conn);
    connection->exec("SET client_min_messages = warning");
    if (mode == Database::Mode::ReadOnly)
        connection->exec("SET default_transaction_read_only = on");
    connection->setBusyTimeout(kBusyTimeoutSeconds * 1000);
    return connection;
}

} // namespace pelanova::sql::detail
