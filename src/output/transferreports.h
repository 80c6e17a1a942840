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

#include <optional>
#include <string>
#include <vector>

namespace pelanova {
class MessageBoxes;
class TBaseLRep;
}

namespace pelanova::output {

// The aggregated transfers of a statement, each priced as it is read. The
// consignor's M_銀行 row (sqlBank) and recipients (sqlUketori) are loaded when
// the report is set up; the statement (sqlFurikomi) runs when the report is
// first prepared. Its rows are read as the pages ask for them, so the first
// page shows without waiting for the last line, and are kept, so that later
// runs (another preview, printing) rewind without running it again.
class FurikomiDataSet : public ReportDataSet
{
public:
    explicit FurikomiDataSet(const sql::Database &db) : m_db(db) {}

    void setUp(const std::string &consignorCode, const std::string &statement);
    const std::optional<ConsignorRow> &consignor() const { return m_consignor; }

    bool isOpen() const override { return m_open; }
    void open() override;
    void close() override;
    void first() override { m_row = 0; }
    void next() override;
    bool eof() const override { return !m_open || m_row >= m_rows.size(); }

    // The current row and its pricing.
    const FurikomiRow &row() const { return m_rows.at(m_row); }
    PricedTransfer priced() const { return priceTransfer(row(), m_recipients, m_consignor); }

private:
    // Reads rows until the current one is held or the statement is done.
    void readUpToCurrent();

    const sql::Database &m_db;
    std::string m_statement;
    std::string m_consignorCode;
    std::optional<ConsignorRow> m_consignor;
    RecipientRows m_recipients;
    sql::Statement m_reading; // while rows are still to be read
    std::optional<FurikomiRowReader> m_reader;
    std::vector<FurikomiRow> m_rows;
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
