#pragma once

// The row source of a report. The report frame opens it once (its query runs
// only then), moves to the first row at the start of every preview and print
// run, and the report's before-print handlers read the current row and move
// on with next(). A data set that is closed is opened again by the next run.

#include "core/sql.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelanova {

class ReportDataSet
{
public:
    virtual ~ReportDataSet() = default;

    virtual bool isOpen() const = 0;
    // Runs the query and positions on the first row. Throws on failure.
    virtual void open() = 0;
    virtual void close() = 0;
    // Rewinds to the first row without running the query again.
    virtual void first() = 0;
    virtual void next() = 0;
    // True when there is no current row (also for an empty result).
    virtual bool eof() const = 0;
};

// A data set over one SQL statement on a pelanova::sql::Database. open() runs
// the statement once and keeps its rows, so that every later run rewinds
// without querying again; setSql() closes the set so that the next run queries
// afresh. Values are read from the current row by column name.
class SqlDataSet : public ReportDataSet
{
public:
    explicit SqlDataSet(const sql::Database *database = nullptr) : m_database(database) {}

    void setDatabase(const sql::Database *database);
    void setSql(std::string sql);
    const std::string &sqlText() const { return m_sql; }

    bool isOpen() const override { return m_open; }
    void open() override;
    void close() override;
    void first() override { m_row = 0; }
    void next() override;
    bool eof() const override { return !m_open || m_row >= m_rows.size(); }

    size_t rowCount() const { return m_rows.size(); }
    int columnIndex(std::string_view name) const; // -1 when absent
    // Values of the current row; throws std::out_of_range at eof or for an
    // unknown column. NULL reads as "" and 0.
    bool isNull(std::string_view column) const;
    std::string text(std::string_view column) const;
    int64_t int64(std::string_view column) const;
    int integer(std::string_view column) const { return static_cast<int>(int64(column)); }

private:
    struct Value
    {
        bool null = true;
        int64_t number = 0;
        std::string text;
    };
    const Value &value(std::string_view column) const;

    const sql::Database *m_database;
    std::string m_sql;
    bool m_open = false;
    std::vector<std::string> m_columns;
    std::vector<std::vector<Value>> m_rows;
    size_t m_row = 0;
};

} // namespace pelanova
