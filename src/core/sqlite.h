#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
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

class Error : public std::runtime_error
{
public:
    Error(const std::string &message, int code)
        : std::runtime_error(message), m_code(code) {}
    int code() const { return m_code; }
    // Another connection held the database longer than kBusyTimeoutSeconds.
    bool isBusy() const;

private:
    int m_code;
};

class Statement;

// One SQLite connection. Every connection gets the functions the system's
// statements rely on: FIRST(value, order) - the value of the row with the
// smallest order key in the group (statements pass the table's insertion key,
// so FIRST means "from the group's earliest stored row") - and INT(x), the
// integer part of a number or of a text of digits.
class Database
{
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    Database() = default;
    ~Database();
    Database(Database &&other) noexcept;
    Database &operator=(Database &&other) noexcept;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens the file; throws Error on failure. Never creates a file unless
    // mode is Create.
    void open(const std::string &path, Mode mode);
    // An empty database in memory that stands for the file source (a copy of
    // some of its content): path() gives source.
    void openMemory(const std::string &source);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // How long a statement waits for another connection's lock
    // (kBusyTimeoutSeconds after open).
    void setBusyTimeout(int milliseconds);
    const std::string &path() const { return m_path; }

    void exec(std::string_view sql);
    Statement prepare(std::string_view sql) const;

    bool inTransaction() const;
    void begin();
    void commit();
    void rollback();

    int64_t lastInsertRowId() const;
    int changes() const;
    bool hasTable(const std::string &name) const;
    // The columns of a table in their order; empty when there is no such table.
    std::vector<std::string> columnNames(const std::string &table) const;
    // The version of the schema the database holds (0 when none was set).
    int schemaVersion() const;
    void setSchemaVersion(int version);

    sqlite3 *handle() const { return m_db; }

private:
    [[noreturn]] void fail(int rc) const;

    sqlite3 *m_db = nullptr;
    std::string m_path;
};

// Begins a transaction, or a savepoint inside an active one, and rolls it back
// on destruction unless committed. Inside an outer transaction, commit()
// releases the savepoint and rollback() undoes exactly this unit's work.
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

class Statement
{
public:
    Statement() = default;
    Statement(sqlite3 *db, sqlite3_stmt *stmt) : m_db(db), m_stmt(stmt) {}
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }

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

    // Steps once; true while a row is available.
    bool step();
    // Steps to completion (for statements without result rows).
    void run();
    void reset();
    void clearBindings();

    int columnCount() const;
    std::string columnName(int index) const;
    int columnIndex(std::string_view name) const; // -1 when absent
    bool isNull(int index) const;
    int64_t int64(int index) const;
    int integer(int index) const { return static_cast<int>(int64(index)); }
    std::string text(int index) const;
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
    [[noreturn]] void fail(int rc) const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    mutable std::map<std::string, int, std::less<>> m_columns;
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
