// The transfer request form printed through a real print queue: a CUPS daemon
// of the tests' own with a CUPS-PDF queue, reached through Qt's own print
// support as a clerk's office printer is. scripts/test-print-queue.sh starts
// the daemon and runs this program with
//   CUPS_SERVER             the daemon's socket
//   PELANOVA_CUPS_QUEUE     the CUPS-PDF queue
//   PELANOVA_CUPS_PDF_OUT   the folder the queue writes its PDF files into
//   PELANOVA_CUPS_SPOOL     the daemon's spool folder, which keeps the jobs' documents
//   PELANOVA_CUPSD_PID      the daemon, which the last case stops
// The PDF that CUPS-PDF writes is ghostscript's rewrite of the PostScript the
// queue's filters make of the job: its glyphs are outlines without their
// characters, so its text cannot be read back. The text is read from the
// job's document as the daemon received it, and the pages that came out of
// the queue are compared with the document's as pictures.
#include "outputfixture.h"
#include "reports/testreport.h"
#include "support/scriptedmessageboxes.h"

#include "output/furikomi.h"
#include "output/transferreports.h"
#include "reports/baselrep.h"
#include "reports/printmsg.h"
#include "widgets/japanesefonts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#include <signal.h>

using namespace pelanova;
using namespace pelanova::output;
using pelanova::testing::OutputDb;

namespace {

constexpr int kDate = 20261130;
const std::string kConsignor = "1234567890";
// How long a job may take to come out of the queue (it takes about a second).
constexpr int kJobWaitMs = 60000;

QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

int count(const QString &text, const QString &pattern)
{
    return int(text.count(QRegularExpression(pattern)));
}

QSet<QString> filesIn(const QDir &dir, const QString &pattern)
{
    const QStringList names = dir.entryList({pattern}, QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

// The pages of a PDF as grey pictures at 40 dpi.
QList<QImage> pagePictures(const QString &pdf)
{
    QTemporaryDir dir;
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-gray"),
                                     QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("page"))});
    QList<QImage> pages;
    const QDir folder(dir.path());
    for (const QString &name : folder.entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name))
        pages.append(QImage(folder.filePath(name)).convertToFormat(QImage::Format_Grayscale8));
    return pages;
}

// The mean difference of the grey levels of two pictures (0 to 255).
double difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar *p = a.constScanLine(y);
        const uchar *q = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(int(p[x]) - int(q[x]));
    }
    return sum / (double(a.width()) * a.height());
}

} // namespace

class PrintQueueTest : public QObject
{
    Q_OBJECT

private:
    QString m_queue;
    QDir m_out;
    QDir m_spool;
    OutputDb m_db;
    test::ScriptedMessageBoxes m_boxes;
    QPointer<TBaseLRep> m_window;
    // What the scripted print dialog chooses: the range and the number of copies.
    TBaseLRep::PrintChoice m_choice;
    int m_copies = 1;
    QString m_printerInDialog;
    QPrinter::OutputFormat m_formatInDialog = QPrinter::PdfFormat;
    bool m_printersInDialog = false;

    QSet<QString> writtenPdfs() const { return filesIn(m_out, QStringLiteral("*.pdf")); }
    // The jobs' documents as the daemon keeps them (d<job>-<document>).
    QSet<QString> spooledDocuments() const { return filesIn(m_spool, QStringLiteral("d*-001")); }

    // Waits until the queue holds no job that is still to be printed.
    bool queueDrained()
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kJobWaitMs) {
            int code = 0;
            const QString jobs = run(QStringLiteral("lpstat"), {QStringLiteral("-o"), m_queue}, &code);
            if (code == 0 && jobs.trimmed().isEmpty())
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    struct Job
    {
        QString document; // as the daemon received it
        QString printed;  // the PDF the queue wrote
    };

    // The one job sent since the files were `pdfs` and `documents`; empty
    // names when there is none or more.
    Job newJob(const QSet<QString> &pdfs, const QSet<QString> &documents)
    {
        if (!queueDrained())
            return {};
        const QSet<QString> printed = writtenPdfs() - pdfs;
        const QSet<QString> received = spooledDocuments() - documents;
        if (printed.size() != 1 || received.size() != 1)
            return {};
        return {m_spool.filePath(*received.begin()), m_out.filePath(*printed.begin())};
    }

    void setQueueEnabled(bool enabled)
    {
        int code = 0;
        const QString said = run(enabled ? QStringLiteral("cupsenable") : QStringLiteral("cupsdisable"), {m_queue},
                                 &code);
        QVERIFY2(code == 0, qPrintable(said));
    }

    void print(TBaseLRep::PrintChoice choice, int copies)
    {
        m_choice = choice;
        m_copies = copies;
        m_printerInDialog.clear();
        m_window->ActPrintExecute();
    }

    void verifyFrameUsable()
    {
        QVERIFY(m_window);
        QVERIFY(m_window->isEnabled());
        QVERIFY(!TPrintMsg::instance());
        QVERIFY(m_window->actPrint()->isEnabled());
        QCOMPARE(m_window->pageDisplayText(), QStringLiteral("1/3"));
    }

private slots:
    void initTestCase()
    {
        m_queue = qEnvironmentVariable("PELANOVA_CUPS_QUEUE");
        const QString out = qEnvironmentVariable("PELANOVA_CUPS_PDF_OUT");
        if (qEnvironmentVariable("CUPS_SERVER").isEmpty() || m_queue.isEmpty() || out.isEmpty())
            QSKIP("no print queue of the tests' own: scripts/test-print-queue.sh starts one and runs this");
        m_out.setPath(out);
        m_spool.setPath(qEnvironmentVariable("PELANOVA_CUPS_SPOOL"));

        // 100 transfers: 38, 38 and 24 lines on three pages.
        m_db.addConsignor(kConsignor, "ｶ)ﾍﾟﾗﾉﾊﾞｻﾝｷﾞﾖｳ");
        m_db.import(kDate, 1, kConsignor, pelanova::testing::transfers(100));
        ShowTransferRequest(m_window, m_boxes, m_db.db, kConsignor, kDate, -1,
                            BuildFurikomiSql(kDate, kConsignor, -1));
        QVERIFY(m_window);
        QVERIFY(test::waitForWorker(*m_window));
        QCOMPARE(m_window->pageDisplayText(), QStringLiteral("1/3"));
        m_window->setPrintDialogHook([this](QPrinter &printer, const TBaseLRep::PrintRequest &request) {
            m_printerInDialog = printer.printerName();
            m_formatInDialog = printer.outputFormat();
            m_printersInDialog = request.printersInstalled;
            printer.setCopyCount(m_copies);
            return std::optional<TBaseLRep::PrintChoice>(m_choice);
        });
        m_window->setBeepHandler([] {});
    }

    void cleanupTestCase() { delete m_window.data(); }

    void printerMenuListsTheQueueAndChoosesIt()
    {
        QMenu *menu = m_window->printerMenu();
        QVERIFY(menu->isEnabled());
        QAction *entry = nullptr;
        for (QAction *action : menu->actions()) {
            if (action->text() == m_queue)
                entry = action;
        }
        QVERIFY2(entry, qPrintable(QStringLiteral("the printer menu lists no %1").arg(m_queue)));
        entry->trigger();
        QCOMPARE(m_window->currentPrinterName(), m_queue);
        QVERIFY(entry->isChecked());
    }

    void requestFormPagesAndCopiesComeOutOfTheQueue()
    {
        const QSet<QString> pdfs = writtenPdfs();
        const QSet<QString> documents = spooledDocuments();
        print({TBaseLRep::PrintChoice::Range::PageRange, 2, 3}, 2);
        QCOMPARE(m_printerInDialog, m_queue);
        QCOMPARE(m_formatInDialog, QPrinter::NativeFormat); // a print job, not a file
        QVERIFY(m_printersInDialog);
        QVERIFY2(m_boxes.empty(), m_boxes.empty() ? "" : m_boxes.last().text.c_str());
        const Job job = newJob(pdfs, documents);
        QVERIFY2(!job.printed.isEmpty(), "the queue wrote no PDF of the job");

        // The job holds pages 2 and 3 of the form once: CUPS makes the copies.
        QCOMPARE(test::pdfPageCount(job.document), 2);
        const QString second = test::pdfPageText(job.document, 1);
        const QString third = test::pdfPageText(job.document, 2);
        QVERIFY2(second.contains(QStringLiteral("2 ﾍﾟｰｼﾞ")), qPrintable(second));
        QVERIFY(second.contains(QRegularExpression(QStringLiteral("銀\\s+行\\s+振\\s+込\\s+依\\s+頼\\s+書"))));
        QVERIFY(second.contains(QStringLiteral("ｶ)ﾍﾟﾗﾉﾊﾞｻﾝｷﾞﾖｳ")));
        QVERIFY(second.contains(QStringLiteral("次項に続く＞＞")));
        QCOMPARE(count(second, QStringLiteral("0005-001")), 38);
        QVERIFY2(third.contains(QStringLiteral("3 ﾍﾟｰｼﾞ")), qPrintable(third));
        QCOMPARE(count(third, QStringLiteral("0005-001")), 24);
        QVERIFY(third.contains(QRegularExpression(QStringLiteral("100\\s+件"))));
        // 100 × 10,000 + (0 + … + 99)
        QVERIFY(third.contains(QStringLiteral("1,004,950")));

        // Out of the queue: four A4 pages, the job's two in order and again.
        // Ghostscript draws the glyphs a little differently, so a page that
        // came out is told by the job's page it is nearest to.
        QCOMPARE(test::pdfPageCount(job.printed), 4);
        QVERIFY(test::pdfInfo(job.printed).contains(QStringLiteral("(A4)")));
        const QList<QImage> sent = pagePictures(job.document);
        const QList<QImage> printed = pagePictures(job.printed);
        QCOMPARE(sent.size(), 2);
        QCOMPARE(printed.size(), 4);
        for (int page = 0; page < 4; ++page) {
            const double own = difference(printed[page], sent[page % 2]);
            const double other = difference(printed[page], sent[1 - page % 2]);
            QVERIFY2(own < other, qPrintable(QStringLiteral("page %1: %2 from its page of the job, %3 from the other")
                                                 .arg(page + 1).arg(own).arg(other)));
        }
        QCOMPARE(difference(printed[0], printed[2]), 0.0);
        QCOMPARE(difference(printed[1], printed[3]), 0.0);
        verifyFrameUsable();
    }

    void stoppedQueueIsSaidAndPrintingGoesOnOnceItIsResumed()
    {
        setQueueEnabled(false);
        const QSet<QString> pdfs = writtenPdfs();
        const QSet<QString> documents = spooledDocuments();
        print({}, 1);
        setQueueEnabled(true);
        QCOMPARE(m_boxes.count(), size_t(1));
        const QString said = QString::fromStdString(m_boxes.last().text);
        QVERIFY2(said.contains(QStringLiteral("プリンタ「%1」は停止しています").arg(m_queue)), qPrintable(said));
        // No job waits in the queue to come out later.
        QVERIFY(queueDrained());
        QCOMPARE(writtenPdfs(), pdfs);
        QCOMPARE(spooledDocuments(), documents);
        verifyFrameUsable();

        m_boxes.clear();
        print({TBaseLRep::PrintChoice::Range::Selection, 0, 0}, 1);
        QVERIFY(m_boxes.empty());
        const Job job = newJob(pdfs, documents);
        QVERIFY2(!job.printed.isEmpty(), "the resumed queue wrote no PDF");
        QCOMPARE(test::pdfPageCount(job.printed), 1);
        QVERIFY(test::pdfPageText(job.document, 1).contains(QStringLiteral("1 ﾍﾟｰｼﾞ")));
    }

    void vanishedPrintServiceIsSaidAndTheFrameStillWritesPdf()
    {
        const qint64 daemon = qEnvironmentVariable("PELANOVA_CUPSD_PID").toLongLong();
        QVERIFY(daemon > 0);
        QCOMPARE(::kill(pid_t(daemon), SIGTERM), 0);
        QElapsedTimer timer;
        timer.start();
        int code = 0;
        while (run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &code).contains(QStringLiteral("is running"))
               && timer.elapsed() < kJobWaitMs)
            QTest::qWait(100);
        QVERIFY(!run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).contains(QStringLiteral("is running")));

        const QSet<QString> pdfs = writtenPdfs();
        const QSet<QString> documents = spooledDocuments();
        m_boxes.clear();
        print({}, 1);
        QVERIFY(!m_printersInDialog); // the print system lists none now
        QCOMPARE(m_boxes.count(), size_t(1));
        const QString said = QString::fromStdString(m_boxes.last().text);
        QVERIFY2(said.contains(QStringLiteral("プリンタ「%1」に接続できません").arg(m_queue)), qPrintable(said));
        QCOMPARE(writtenPdfs(), pdfs);
        QCOMPARE(spooledDocuments(), documents);
        verifyFrameUsable();

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("依頼書.pdf"));
        m_window->setPdfFileDialogHook([pdf](const QString &) { return pdf; });
        m_window->ActPdfExecute();
        QCOMPARE(test::pdfPageCount(pdf), 3);
        QCOMPARE(m_boxes.count(), size_t(1));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installJapaneseFonts();
    PrintQueueTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "printqueue_test.moc"
