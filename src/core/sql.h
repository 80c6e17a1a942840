#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pelanova::sql {

// How long a statement waits for another connection's lock before it fails
// as busy.
inline constexpr int kBusyTimeoutSeconds = 5;

// The own database lives in an SQLite file (the default) or on a PostgreSQL
// server that several clerks share.
enum class Engine { SQLite, PostgreSQL };

class Error : public std::runtime_error
{
public:
    Error(const std::string &message, int code, std::string sqlState = {})
        : std::runtime_error(message), m_code(code), m_sqlState(std::move(sqlState)) {}
    // SQLite's result code; for PostgreSQL one of the kPostgres codes below.
    int code() const { return m_code; }
    // PostgreSQL's SQLSTATE (empty for SQLite).
    const std::string &sqlState() const { return m_sqlState; }
    // Another connection held the database longer than it may be waited for.
    bool isBusy() const;

    static constexpr int kPostgresConnection = 1001; // the server cannot be reached, or refused the login
    static constexpr int kPostgresStatement = 1002;  // the server refused a statement

private:
    int m_code;
    std::string m_sqlState;
};

namespace detail {
class Bulk;
class Connection;
class Cursor;
struct BulkValue;
}

class Statement;

// One connection to the own database, the bank master or another database.
// Every connection gets the functions the system's statements rely on:
// FIRST(value, order) - the value of the row with the smallest order key in
// the group (statements pass the table's insertion key, so FIRST means "from
// the group's earliest stored row") - and INT(x), the integer part of a number
// or of a text of digits. Text is compared and ordered by code point on both
// engines. Statements name their parameters ":name" or "?".
class Database
{
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    Database();
    ~Database();
    Database(Database &&other) noexcept;
    Database &operator=(Database &&other) noexcept;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // A PostgreSQL server's database, written as libpq writes one: a URI
    // ("postgresql://…") or keywords ("host=… dbname=…"); anything else is a file.
    static bool isServerLocation(std::string_view location);

    // Opens the file or the server's database; throws Error on failure. A
    // file is never created unless mode is Create; a server's database is
    // never created.
    void open(const std::string &location, Mode mode);
    // An empty SQLite database in memory that stands for the file source (a
    // copy of some of its content): path() gives source.
    void openMemory(const std::string &source);
    void close();
    bool isOpen() const { return m_connection != nullptr; }
    Engine engine() const;
    // The file, or the server's location as given.
    const std::string &path() const { return m_path; }

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql) const;

    bool inTransaction() const;
    void begin();
    void commit();
    void rollback();

    // Rows the last INSERT, UPDATE or DELETE changed.
    int changes() const;
    bool hasTable(const std::string &name) const;
    // The columns of a table in their order; empty when there is no such table.
    std::vector<std::string> columnNames(const std::string &table) const;
    // The columns of every table, by table name as the database writes it;
    // one query however many tables there are.
    std::map<std::string, std::vector<std::string>> tableColumns() const;
    // The version of the schema the database holds (0 when none was set).
    int schemaVersion() const;
    void setSchemaVersion(int version);
    // How long a statement waits for another connection's lock
    // (kBusyTimeoutSeconds after open).
    void setBusyTimeout(int milliseconds);

    // SQLite's handle, for SQLite's own backup; null on a server.
    sqlite3 *handle() const;

private:
    friend class Transaction;
    friend class ReadSnapshot;
    friend class BulkInsert;
    void beginWrite();
    void beginRead() const;
    void endRead() const;
    void requireOpen() const;

    std::unique_ptr<detail::Connection> m_connection;
    std::string m_path;
};

// Begins a transaction that will write, or a savepoint inside an active one,
// and rolls it back on destruction unless committed. Inside an outer
// transaction, commit() releases the savepoint and rollback() undoes exactly
// this unit's work.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void commit();
    void rollback();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    std::string m_savepoint; // empty for a transaction of our own
    bool m_active = false;
};

// Makes the statements run until its end see one committed state of the
// database, whatever other clerks commit meanwhile (a read-only transaction);
// inside a transaction of the caller's it does nothing, that one already
// being the state read.
class ReadSnapshot
{
public:
    explicit ReadSnapshot(const Database &db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot &) = delete;
    ReadSnapshot &operator=(const ReadSnapshot &) = delete;

private:
    const Database &m_db;
    bool m_began = false;
};

// Many rows for one table, stored as fast as the engine takes them: a
// prepared INSERT a row on SQLite, COPY in chunks on a server. The rows keep
// their order, and so their insertion keys. A row may reach the database only
// with a later one or with finish(), so an error of the database shows there;
// other statements meanwhile see only the rows sent. Rows not finished when
// this goes are dropped (the caller's transaction is rolled back anyway).
class BulkInsert
{
public:
    BulkInsert(Database &db, const std::string &table, std::vector<std::string> columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert &) = delete;
    BulkInsert &operator=(const BulkInsert &) = delete;

    BulkInsert &add(int64_t value);
    BulkInsert &add(std::string_view text);
    BulkInsert &add(const std::string &text) { return add(std::string_view(text)); }
    BulkInsert &add(const char *text) { return add(std::string_view(text)); }
    BulkInsert &add(const std::optional<std::string> &text);
    BulkInsert &addNull();
    // Ends the row of the values added.
    void endRow();
    // Stores every row added.
    void finish();

private:
    detail::BulkValue &next();

    std::unique_ptr<detail::Bulk> m_bulk; // the engine's, or null
    std::unique_ptr<Statement> m_insert;  // otherwise
    std::vector<detail::BulkValue> m_row;
    size_t m_filled = 0;
};

class Statement
{
public:
    Statement();
    explicit Statement(std::unique_ptr<detail::Cursor> cursor);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isValid() const { return m_cursor != nullptr; }

    // Binding by 1-based index or by name (":振込依頼日").
    Statement &bind(int index, int64_t value);
    Statement &bind(int index, std::string_view text);
    Statement &bind(int index, const char *text) { return bind(index, std::string_view(text)); }
    Statement &bind(int index, const std::string &text) { return bind(index, std::string_view(text)); }
    Statement &bindNull(int index);
    Statement &bind(int index, const std::optional<std::string> &text);
    // The value of a column of another statement's current row, with its type.
    Statement &bindColumnOf(int index, const Statement &from, int column);
    template <typename T>
    Statement &bind(const char *name, const T &value) { return bind(parameterIndex(name), value); }
    Statement &bindNull(const char *name) { return bindNull(parameterIndex(name)); }
    int parameterIndex(const char *name) const;
    int parameterCount() const;

    // For a query of many rows read a few at a time over a long while (a
    // report's pages): a server sends them a chunk at a time, so that the
    // rows held do not grow with the result; they stay those of the moment
    // of the first step. Call before the first step.
    void readInChunks();

    // Steps once; true while a row is available.
    bool step();
    // Steps to completion (for statements without result rows).
    void run();
    void reset();
    void clearBindings();

    int columnCount() const;
    std::string columnName(int index) const;
    // -1 when absent; letters A-Z match without regard to case (a server
    // writes the names it was not given in quotes in lower case).
    int columnIndex(std::string_view name) const;
    bool isNull(int index) const;
    int64_t int64(int index) const;
    int integer(int index) const { return static_cast<int>(int64(index)); }
    std::string text(int index) const;
    // The text of a column without a copy: valid until the statement steps
    // again; empty for NULL.
    std::string_view textView(int index) const;
    bool isNull(std::string_view name) const { return isNull(requireColumn(name)); }
    int64_t int64(std::string_view name) const { return int64(requireColumn(name)); }
    int integer(std::string_view name) const { return integer(requireColumn(name)); }
    std::string text(std::string_view name) const { return text(requireColumn(name)); }
    // A column that may be NULL: NULL, and a column the statement does not
    // have (index -1), read as 0 or as empty text.
    int64_t int64OrZero(int index) const { return index < 0 || isNull(index) ? 0 : int64(index); }
    std::string textOrEmpty(int index) const { return index < 0 || isNull(index) ? std::string() : text(index); }
    int64_t int64OrZero(std::string_view name) const { return int64OrZero(columnIndex(name)); }
    std::string textOrEmpty(std::string_view name) const { return textOrEmpty(columnIndex(name)); }

    std::string sql() const;

private:
    int requireColumn(std::string_view name) const;
    detail::Cursor &cursor() const;

    std::unique_ptr<detail::Cursor> m_cursor;
    mutable std::map<std::string, int, std::less<>> m_columns; // by lower-case name
};

// The rows of a statement as keyed list items: "key TAB text" of two of its
// columns (NULL as empty text).
std::vector<std::string> keyedItems(const Database &db, const std::string &statement, const char *keyColumn,
                                    const char *textColumn);

// Statement text built line by line: the lines joined with line breaks.
std::string joinLines(std::initializer_list<std::string_view> lines);

// Text literal for statement text: single quotes, inner quotes doubled (a NUL
// byte, which statement text cannot hold, joined in as char(0)).
std::string quote(std::string_view text);

} // namespace pelanova::sql
