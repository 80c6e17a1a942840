#pragma once

// A small report for the tests: a title band with the page number and a row
// grid with one title row and `linesPerPage` detail rows, one data row per
// detail line.

#include "reports/baselrep.h"
#include "reports/reportdataset.h"

#include <QRectF>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>
#include <vector>

namespace pelanova::test {

class CountingDataSet : public ReportDataSet
{
public:
    explicit CountingDataSet(int rows) : m_rows(rows) {}
    bool isOpen() const override { return m_open; }
    void open() override
    {
        if (failOpen)
            throw std::runtime_error("no such table: T_振込");
        m_open = true;
        m_row = 0;
        ++opens;
    }
    void close() override { m_open = false; }
    void first() override { m_row = 0; }
    void next() override { ++m_row; }
    bool eof() const override { return !m_open || m_row >= m_rows; }
    int row() const { return m_row; }
    void setRows(int rows) { m_rows = rows; }

    int opens = 0;
    bool failOpen = false;

private:
    int m_rows;
    int m_row = 0;
    bool m_open = false;
};

// Counters that outlive the window, so that a test can watch a released report.
struct RenderLog
{
    int pagesStarted = 0;
    int pagesEnded = 0;
    int prepares = 0;
    bool noticeShownWhilePrinting = false;
    QStringList pageTitles;
};

class TestReport : public Report
{
public:
    TestReport(int rows, int linesPerPage, RenderLog *log = nullptr);

    CountingDataSet &rows() { return m_rows; }
    // Detail lines from this data row on throw while being filled.
    int failAtRow = -1;

protected:
    void ActPrintPrepare() override;
    void ActPageBeforePrint() override;
    void ActPageAfterPrint() override;

private:
    CountingDataSet m_rows;
    RenderLog *m_log;
    ReportField *m_pageField = nullptr;
};

// Runs the event loop until the preview worker has ended (or timeout ms).
bool waitForWorker(TBaseLRep &report, int timeoutMs = 20000);

// Pages of a PDF (pdfinfo) and its text (pdftotext); -1 / empty on failure.
int pdfPageCount(const QString &path);
QString pdfText(const QString &path);
// The text of one page (from 1), laid out as printed.
QString pdfPageText(const QString &path, int page);
QString pdfFonts(const QString &path);
QString pdfInfo(const QString &path);
// Bounding box in points of the first word equal to `word` on page 1.
QRectF pdfWordBox(const QString &path, const QString &word);

} // namespace pelanova::test
