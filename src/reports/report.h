#pragma once

// What a report is, apart from any window: its page layout, its one data set
// (dsMast), its running totals in a subclass, and the engine that renders it.
// A report prints itself to any QPrinter (a printer or a PDF file) without a
// window; the preview-and-print window TBaseLRep hosts one.
//
// How a report is written:
//   class TrptExample : public Report {
//     TrptExample() : Report("rptExample") {
//       setDataSet(&m_rows);
//       auto *title = layout().addBand({37, 37, 720, 25});
//       ...
//       grid->rowChoice = [=](int row) { return row == 0 ? head : detail; };
//       detail->beforePrint = [this] { ...fill fields from m_rows...; m_rows.next(); };
//     }
//     void ActPrintPrepare() override { m_total = 0; }   // reset running totals
//   };
//
// Every page rendered (preview, reduced preview, print) is preceded by
// ActPageBeforePrint() and followed by ActPageAfterPrint().

#include "reports/reportengine.h"
#include "reports/reportlayout.h"

#include <QString>

#include <functional>

class QPrinter;

namespace pelanova {

class ReportDataSet;

// Said when a report has no row to print.
inline constexpr const char *kNothingToPrint = "印刷対象データがありません．";

class Report
{
public:
    // `caption` is the report's name as the clerk knows it (振込依頼書): the
    // print job's and the PDF file's title and the file name offered; the
    // preview window's caption is "印刷プレビュー（caption）".
    explicit Report(const QString &caption);
    virtual ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    const QString &caption() const { return m_caption; }
    const QString &title() const { return m_title; }
    ReportLayout &layout() { return m_layout; }
    ReportEngine &engine() { return m_engine; }
    const ReportEngine &engine() const { return m_engine; }
    void setDataSet(ReportDataSet *dataSet);
    ReportDataSet *dataSet() const { return m_dataSet; }
    // The page counter of the current run (1 on the first page).
    int pageNumber() const { return m_engine.pageNumber(); }

    enum class Prepared { NoDataSet, Empty, Ready };
    // The start of every preview and print run: opens the data set when it is
    // closed (its query runs only then), rewinds it and runs ActPrintPrepare.
    Prepared prepare();

    // Prints the pages first..last (0: to the end) of a fresh run. Returns
    // Empty without starting a job when there is nothing to print. Throws on
    // a failure; the job is then cancelled.
    Prepared print(QPrinter &printer, int firstPage = 1, int lastPage = 0);
    // The same job after prepare() has answered Ready. The report is printed
    // `copies` times in the one job (for outputs that cannot make copies
    // themselves, such as a PDF file); `afterPage` runs after every page.
    void printPrepared(QPrinter &printer, int firstPage, int lastPage, int copies = 1,
                       const std::function<void()> &afterPage = {});

protected:
    // Extension points: after the preparation of every run (for example to
    // reset running totals), before and after every page.
    virtual void ActPrintPrepare() {}
    virtual void ActPageBeforePrint() {}
    virtual void ActPageAfterPrint() {}

private:
    QString m_caption;
    QString m_title;
    ReportLayout m_layout;
    ReportEngine m_engine;
    ReportDataSet *m_dataSet = nullptr;
};

// Prints the whole report into a PDF file at `path`, written
// to a temporary file beside it and renamed over it, so that a failure leaves
// no partial file and an earlier file intact. Returns Empty (and writes
// nothing) when the report has nothing to print; throws std::runtime_error
// when the file cannot be written.
Report::Prepared writeReportPdf(Report &report, const QString &path);

} // namespace pelanova
