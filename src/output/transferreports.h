#pragma once

// The two printed lists of one consignor and transfer request date: the bank
// transfer request form (振込依頼書, TrptFurikomi) and the transfer fee list
// (TrptFurikomiTesuuryou). Both run the print screen's aggregation statement
// again, price every line with the same pricing as the screen and the bank
// file, and print 38 or 37 lines to a page with their totals.

#include "output/furikomi.h"
#include "reports/report.h"
#include "reports/reportdataset.h"

#include <QPointer>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace pelanova {
class MessageBoxes;
class TBaseLRep;
}

namespace pelanova::output {

// The aggregated transfers of a statement, each priced as it is read. The
// consignor's M_銀行 row (sqlBank), the recipients (sqlUketori) and the
// statement (sqlFurikomi) are read at one moment when the report is first
// prepared. The statement's rows are read as the pages ask for them, so the
// first page shows without waiting for the last line; each row read is
// written to a temporary file and only the current one is held, so a long
// report needs no more memory than a short one, and later runs (another
// preview, printing) rewind through the file and show the same data without
// running the statement again.
class FurikomiDataSet : public ReportDataSet
{
public:
    explicit FurikomiDataSet(const sql::Database &db) : m_db(db) {}
    ~FurikomiDataSet() override;
    FurikomiDataSet(const FurikomiDataSet &) = delete;
    FurikomiDataSet &operator=(const FurikomiDataSet &) = delete;

    void setUp(const std::string &consignorCode, const std::string &statement);
    const std::optional<ConsignorRow> &consignor() const { return m_consignor; }

    bool isOpen() const override { return m_open; }
    void open() override;
    void close() override;
    void first() override;
    void next() override;
    bool eof() const override { return !m_open || !m_hasRow; }

    // The current row and its pricing.
    const FurikomiRow &row() const;
    PricedTransfer priced() const { return priceTransfer(row(), m_recipients, m_consignor); }

    // The rows read from the statement so far (those the file holds).
    size_t rowsRead() const { return m_spooled; }

private:
    // Makes row m_row the current one: from the file when it holds it, else
    // the statement's next row, which the file then keeps.
    void load();

    const sql::Database &m_db;
    std::string m_statement;
    std::string m_consignorCode;
    std::optional<ConsignorRow> m_consignor;
    RecipientRows m_recipients;
    sql::Statement m_reading; // while rows are still to be read
    std::optional<FurikomiRowReader> m_reader;
    std::FILE *m_spool = nullptr;
    size_t m_spooled = 0;   // rows in the file
    bool m_atEnd = true;    // the file's position is its end (where the next row read is written)
    FurikomiRow m_current;
    bool m_hasRow = false;
    size_t m_row = 0;
    bool m_open = false;
};

// The page both lists share: the title "銀　行　振　込　依　頼　書" with the
// page number, the transfer request date, the consignor's name, and a grid of
// 40 rows whose layouts each list adds.
class TransferReport : public Report
{
public:
    // The print screen's selection; the facility key is carried along unused.
    void setUp(const std::string &consignorCode, int date, int facilityKey, const std::string &statement);

protected:
    TransferReport(const QString &caption, const sql::Database &db);

    ReportRowGrid *grid() const { return m_grid; }
    FurikomiDataSet &rows() { return m_rows; }

private:
    FurikomiDataSet m_rows;
    ReportRowGrid *m_grid = nullptr;
    ReportField *m_page = nullptr;
    ReportField *m_date = nullptr;
    ReportField *m_name = nullptr;
};

// 振込依頼書: per page a title line, 38 transfers and a total line ("次項に続く＞＞"
// on every page but the last).
class TrptFurikomi : public TransferReport
{
public:
    explicit TrptFurikomi(const sql::Database &db);

protected:
    void ActPrintPrepare() override;

private:
    int64_t m_count = 0;
    int64_t m_total = 0;
};

// The fee list: per page a title line, 37 transfers with the fee borne by the
// consignor (自社) and by the recipient (相手先), the page's subtotal and the
// grand total (filled in on the last page).
class TrptFurikomiTesuuryou : public TransferReport
{
public:
    explicit TrptFurikomiTesuuryou(const sql::Database &db);

protected:
    void ActPrintPrepare() override;
    void ActPageBeforePrint() override;

private:
    struct Sums
    {
        int64_t count = 0;
        int64_t amount = 0;
        int64_t own = 0;
        int64_t recipient = 0;
        void add(const PricedTransfer &priced);
    };
    Sums m_page;
    Sums m_grand;
};

// Set the report up and show it in its preview window: the window is created
// on the first call and reused while it stays open.
void ShowTransferRequest(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db,
                         const std::string &consignorCode, int date, int facilityKey, const std::string &statement,
                         QWidget *parent = nullptr);
void ShowFeeReport(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db,
                   const std::string &consignorCode, int date, int facilityKey, const std::string &statement,
                   QWidget *parent = nullptr);

} // namespace pelanova::output
