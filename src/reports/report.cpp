#include "reports/report.h"
#include "reports/reportdataset.h"

#include "core/replacefile.h"

#include <QPrinter>

#include <stdexcept>
#include <string>

namespace pelanova {

Report::Report(const QString &caption)
    : m_caption(caption), m_title(QStringLiteral("印刷プレビュー（") + caption + QStringLiteral("）")),
      m_engine(&m_layout)
{
    // A printed job and a PDF file bear the report's name as the clerk knows it.
    m_engine.title = m_caption;
    m_engine.pageBeforePrint = [this] { ActPageBeforePrint(); };
    m_engine.pageAfterPrint = [this] { ActPageAfterPrint(); };
}

Report::~Report() = default;

void Report::setDataSet(ReportDataSet *dataSet)
{
    m_dataSet = dataSet;
    m_engine.setDataSet(dataSet);
}

Report::Prepared Report::prepare()
{
    if (!m_dataSet)
        return Prepared::NoDataSet;
    if (!m_dataSet->isOpen())
        m_dataSet->open();
    m_dataSet->first();
    const Prepared result = m_engine.isFinished() ? Prepared::Empty : Prepared::Ready;
    ActPrintPrepare();
    return result;
}

Report::Prepared Report::print(QPrinter &printer, int firstPage, int lastPage)
{
    const Prepared prepared = prepare();
    if (prepared == Prepared::Ready)
        printPrepared(printer, firstPage, lastPage);
    return prepared;
}

void Report::printPrepared(QPrinter &printer, int firstPage, int lastPage, int copies,
                           const std::function<void()> &afterPage)
{
    m_engine.setPrintRange(firstPage, lastPage);
    m_engine.startPrintJob(&printer);
    try {
        for (int copy = 0; copy < std::max(1, copies); ++copy) {
            if (copy > 0) {
                // Each copy is a run of its own: rows, totals and page numbers start over.
                prepare();
                m_engine.restartRun();
            }
            for (;;) {
                m_engine.printNextPage();
                if (afterPage)
                    afterPage();
                if (m_engine.isFinished())
                    break;
                m_engine.newSheet();
            }
        }
    } catch (...) {
        m_engine.abortPrintJob();
        throw;
    }
    if (!m_engine.endPrintJob())
        throw std::runtime_error("印刷を完了できませんでした．");
}

Report::Prepared writeReportPdf(Report &report, const QString &path)
{
    ReplacementFile file(path.toStdString());
    Report::Prepared prepared = Report::Prepared::Empty;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(QString::fromStdString(file.temporaryPath()));
        pdf.setCreator(QStringLiteral("Pelanova"));
        prepared = report.print(pdf);
        if (prepared != Report::Prepared::Ready)
            return prepared;
    }
    file.commit();
    return prepared;
}

} // namespace pelanova
