// The preview frame's printing: the printer menu, the print and PDF dialogs,
// and the pages sent to the printer or the file.
#include "reports/baselrep.h"
#include "reports/baselrepguard.h"
#include "core/replacefile.h"

#include "reports/printermenu.h"
#include "reports/printmsg.h"
#include "reports/printqueue.h"

#include <QDir>
#include <QFileDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <exception>

namespace pelanova {

// ------------------------------------------------------------------- printing

void TBaseLRep::BuildPrinterMenu()
{
    m_printerMenu->rebuild(m_installedPrinters ? m_installedPrinters() : QStringList(), m_printerName);
}

void TBaseLRep::PrinterMenuClick(const QString &printerName)
{
    if (m_printerName != printerName) {
        m_printerName = printerName;
        m_printer->setPrinterName(printerName);
    }
    m_printerMenu->tick(printerName);
}

std::optional<TBaseLRep::PrintChoice> TBaseLRep::defaultPrintDialog(QPrinter &printer,
                                                                    const PrintRequest &request)
{
    if (!request.printersInstalled) {
        m_boxes.messageBox("プリンタがインストールされていません．", kAppTitle,
                           MessageIcon::Warning, MessageButtons::Ok, kDefaultButton1);
    }
    const std::optional<PrintChoice> choice = askPrintDialog(printer, request, this);
    if (choice && printer.printerName() != m_printerName && !printer.printerName().isEmpty()) {
        m_printerName = printer.printerName();
        BuildPrinterMenu();
    }
    return choice;
}

QString TBaseLRep::defaultPdfFileDialog(const QString &suggestedPath)
{
    return QFileDialog::getSaveFileName(this, QStringLiteral("PDF出力"), suggestedPath,
                                        QStringLiteral("PDF (*.pdf)"));
}

void TBaseLRep::ActPrintExecute()
{
    // A pending jump entry that does not convert has said so; nothing more.
    if (!CommitActiveControl())
        return;
    guarded([&] {
        const PrintRequest request =
            printRequestFor(m_engine.store(), m_installedPrinters && !m_installedPrinters().isEmpty());
        const std::optional<PrintChoice> choice =
            m_printDialog ? m_printDialog(*m_printer, request) : defaultPrintDialog(*m_printer, request);
        if (!choice)
            return;
        const std::optional<std::pair<int, int>> pages = pagesOf(*choice, m_engine.store());
        if (!pages)
            return;
        const auto [first, last] = *pages;
        if (m_printer->outputFormat() == QPrinter::NativeFormat) {
            const QString problem = printerProblem(m_printer->printerName());
            if (!problem.isEmpty()) {
                beep();
                m_boxes.messageBox(problem.toStdString(), kAppTitle, MessageIcon::Warning, MessageButtons::Ok,
                                   kDefaultButton1);
                return;
            }
        }
        // Without a printer the job goes to a PDF file, which needs a name.
        if (m_printer->outputFormat() == QPrinter::PdfFormat && m_printer->outputFileName().isEmpty()) {
            const QString suggested = QDir::home().filePath(m_report->caption() + QStringLiteral(".pdf"));
            const QString path = m_pdfFileDialog ? m_pdfFileDialog(suggested) : defaultPdfFileDialog(suggested);
            if (path.isEmpty())
                return;
            printPdfFile(*m_printer, path, first, last);
            return;
        }
        printPages(*m_printer, first, last);
    });
}

void TBaseLRep::ActPdfExecute()
{
    guarded([&] {
        const QString suggested = QDir::home().filePath(m_report->caption() + QStringLiteral(".pdf"));
        const QString path = m_pdfFileDialog ? m_pdfFileDialog(suggested) : defaultPdfFileDialog(suggested);
        if (path.isEmpty())
            return;
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        printPdfFile(pdf, path, 1, 0);
    });
}

void TBaseLRep::printPdfFile(QPrinter &printer, const QString &path, int firstPage, int lastPage)
{
    // The file replaces an earlier one only when it is whole.
    ReplacementFile file(path.toStdString());
    printer.setOutputFileName(QString::fromStdString(file.temporaryPath()));
    struct Reset
    {
        QPrinter &printer;
        ~Reset() { printer.setOutputFileName(QString()); }
    } reset{printer};
    if (printPages(printer, firstPage, lastPage))
        file.commit();
}

bool TBaseLRep::printPages(QPrinter &printer, int firstPage, int lastPage)
{
    const PrintingScope printing(this);
    // The frame's preparation shows why nothing is printed; the report's own
    // run then starts from the same first row.
    if (ActPrintPrepareExecute() != Prepared::Ready)
        return false;
    // An output that cannot make copies itself (a PDF file) gets them printed.
    int copies = 1;
    if (printer.copyCount() > 1 && !printer.supportsMultipleCopies()) {
        copies = printer.copyCount();
        printer.setCopyCount(1);
    }
    m_report->printPrepared(printer, firstPage, lastPage, copies, &PrintingScope::drawNotice);
    return true;
}

} // namespace pelanova
