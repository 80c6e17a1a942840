#include "reports/reportdataset.h"

#include <stdexcept>

namespace pelanova {

void SqlDataSet::setDatabase(const sql::Database *database)
{
    close();
    m_database = database;
}

void SqlDataSet::setSql(std::string sql)
{
    close();
    m_sql = std::move(sql);
}

void SqlDataSet::open()
{
    if (m_open)
        return;
    if (!m_database || !m_database->isOpen())
        throw std::runtime_error("SqlDataSet: no open database");
    sql::Statement statement = m_database->prepare(m_sql);
    std::vector<std::string> columns;
    for (int i = 0; i < statement.columnCount(); ++i)
        columns.push_back(statement.columnName(i));
    std::vector<std::vector<Value>> rows;
    while (statement.step()) {
        std::vector<Value> row(columns.size());
        for (size_t i = 0; i < columns.size(); ++i) {
            const int index = static_cast<int>(i);
            if (statement.isNull(index))
                continue;
            row[i].null = false;
            row[i].number = statement.int64(index);
            row[i].text = statement.text(index);
        }
        rows.push_back(std::move(row));
    }
    m_columns = std::move(columns);
    m_rows = std::move(rows);
    m_row = 0;
    m_open = true;
}

void SqlDataSet::close()
{
    m_open = false;
    m_columns.clear();
    m_rows.clear();
    m_row = 0;
}

void SqlDataSet::next()
{
    if (m_row < m_rows.size())
        ++m_row;
}

int SqlDataSet::columnIndex(std::string_view name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i] == name)
            return static_cast<int>(i);
    }
    return -1;
}

const SqlDataSet::Value &SqlDataSet::value(std::string_view column) const
{
    if (eof())
        throw std::out_of_range("SqlDataSet: no current row");
    const int index = columnIndex(column);
    if (index < 0)
        throw std::out_of_range("SqlDataSet: no column " + std::string(column));
    return m_rows[m_row][static_cast<size_t>(index)];
}

bool SqlDataSet::isNull(std::string_view column) const { return value(column).null; }
std::string SqlDataSet::text(std::string_view column) const { return value(column).text; }
int64_t SqlDataSet::int64(std::string_view column) const { return value(column).number; }

} // namespace pelanova
