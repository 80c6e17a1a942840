#include "testreport.h"
#include "support/scriptedmessageboxes.h"

#include "reports/printmsg.h"

#include <QAction>
#include <QApplication>
#include <cmath>
#include <QGuiApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QTest>

using namespace pelanova;
using namespace pelanova::test;

namespace {

constexpr int kLines = 5; // detail lines per page of the test report

bool hasInk(const QImage &image, const QRect &r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                return true;
    return false;
}

// A report window with scripted message boxes, beeps and print dialog.
struct Fixture
{
    explicit Fixture(int pages, int rowsOverride = -1)
    {
        auto owned = std::make_unique<TestReport>(rowsOverride >= 0 ? rowsOverride : pages * kLines, kLines, &log);
        test = owned.get();
        report = new TBaseLRep(std::move(owned), boxes);
        report->setBeepHandler([this] { ++beeps; });
        report->setPdfFileDialogHook([this](const QString &suggested) {
            suggestedPdf = suggested;
            return pdfPath;
        });
        report->setPrintDialogHook([this](QPrinter &printer, const TBaseLRep::PrintRequest &request) {
            lastRequest = request;
            ++dialogs;
            if (whileTheDialogIsOpen)
                whileTheDialogIsOpen();
            if (!choice)
                return std::optional<TBaseLRep::PrintChoice>();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfPath);
            printer.setCopyCount(copies);
            return choice;
        });
        pdfPath = dir.filePath(QStringLiteral("out.pdf"));
    }
    ~Fixture() { delete report.data(); }

    QTemporaryDir dir;
    QString pdfPath;
    QString suggestedPdf; // what the PDF file dialog was offered
    ScriptedMessageBoxes boxes;
    RenderLog log;
    int beeps = 0;
    int dialogs = 0;
    std::optional<TBaseLRep::PrintChoice> choice;
    int copies = 1; // 部数 chosen in the print dialog
    std::function<void()> whileTheDialogIsOpen;
    TBaseLRep::PrintRequest lastRequest;
    QPointer<TBaseLRep> report;
    TestReport *test = nullptr; // owned by the window
};

TBaseLRep::PrintChoice range(int from, int to)
{
    return {TBaseLRep::PrintChoice::Range::PageRange, from, to};
}

} // namespace

class ReportFrameTest : public QObject
{
    Q_OBJECT

private slots:
    void windowHasItsCaptionActionsAndShortcuts()
    {
        Fixture f(1);
        TBaseLRep &r = *f.report;
        QCOMPARE(r.windowTitle(), QStringLiteral("印刷プレビュー（rptTest）"));
        // Print jobs and PDF files bear the report's own name.
        QCOMPARE(r.engine().title, QStringLiteral("rptTest"));
        QCOMPARE(r.actPreview()->text(), QStringLiteral("画面表示(&V)"));
        QCOMPARE(r.actPreview()->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
        QCOMPARE(r.act80()->text(), QStringLiteral("80%(&8)"));
        QCOMPARE(r.act50()->text(), QStringLiteral("50%(&5)"));
        QCOMPARE(r.act25()->text(), QStringLiteral("25%(&2)"));
        QCOMPARE(r.actPrint()->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(r.actFirstPage()->text(), QStringLiteral("先頭ページ(&F)"));
        QCOMPARE(r.actFirstPage()->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        QCOMPARE(r.actPriorPage()->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        QCOMPARE(r.actNextPage()->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(r.actLastPage()->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
        QCOMPARE(r.actSuspend()->text(), QStringLiteral("一時停止(&S)"));
        QCOMPARE(r.actSuspend()->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(r.actExit()->text(), QStringLiteral("終了(&X)"));
        QCOMPARE(r.printerMenu()->title(), QStringLiteral("プリンタの変更(&C)"));
        QVERIFY(r.pageDisplayText().isEmpty());
        QVERIFY(r.jumpField()->text().isEmpty());
        // Nothing previewed yet: only the always-enabled actions work.
        QVERIFY(!r.actFirstPage()->isEnabled());
        QVERIFY(!r.actNextPage()->isEnabled());
        QVERIFY(!r.actLastPage()->isEnabled());
        QVERIFY(!r.actSuspend()->isEnabled());
        QVERIFY(r.actPrint()->isEnabled());
    }

    void printerMenuListsInstalledPrintersAndTicksTheChosenOne()
    {
        Fixture f(1);
        f.report->setInstalledPrintersHook([] { return QStringList{"経理室", "事務室"}; });
        const QList<QAction *> entries = f.report->printerMenu()->actions();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1]->text(), QStringLiteral("事務室"));
        f.report->PrinterMenuClick(QStringLiteral("事務室"));
        QVERIFY(entries[1]->isChecked());
        QVERIFY(!entries[0]->isChecked());
        QCOMPARE(f.report->currentPrinterName(), QStringLiteral("事務室"));
    }

    void onePageAtQuarterSizeFillsOneSheetCorner()
    {
        Fixture f(1);
        f.report->show();
        f.report->Act80Execute(25);
        QVERIFY(waitForWorker(*f.report));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/1"));
        const QImage sheet = f.report->shownImage();
        QCOMPARE(sheet.size(), QSize(794, 1123));
        QVERIFY(hasInk(sheet, QRect(0, 0, 198, 280)));
        QVERIFY(!hasInk(sheet, QRect(199, 0, 595, 1123)));
        QVERIFY(!hasInk(sheet, QRect(0, 281, 794, 842)));
        QCOMPARE(f.log.pagesStarted, 1);
        QCOMPARE(f.log.pagesEnded, 1);
    }

    void fivePagesAtHalfSizeFillTwoSheetsRowByRow()
    {
        Fixture f(5);
        f.report->show();
        f.report->Act80Execute(50);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/1")); // the first sheet at once
        QVERIFY(waitForWorker(*f.report));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/2"));
        const PreviewStore &store = f.report->engine().store();
        for (int page = 1; page <= 4; ++page)
            QCOMPARE(store.imageOfPage(page), 0);
        QCOMPARE(store.imageOfPage(5), 1);
        const QImage first = f.report->shownImage();
        QVERIFY(hasInk(first, QRect(0, 0, 397, 561)));
        QVERIFY(hasInk(first, QRect(397, 0, 397, 561)));
        QVERIFY(hasInk(first, QRect(0, 561, 397, 561)));
        QVERIFY(hasInk(first, QRect(397, 561, 397, 561)));
        QVERIFY(f.report->actNextPage()->isEnabled());
        QVERIFY(!f.report->actPriorPage()->isEnabled());
        f.report->ActNextPageExecute();
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("2/2"));
        const QImage second = f.report->shownImage();
        QVERIFY(hasInk(second, QRect(0, 0, 397, 561)));
        QVERIFY(!hasInk(second, QRect(398, 0, 396, 1123)));
        QVERIFY(!hasInk(second, QRect(0, 562, 794, 561)));
        QVERIFY(!f.report->actNextPage()->isEnabled());
        QVERIFY(!f.report->actLastPage()->isEnabled());
        QVERIFY(f.report->actFirstPage()->isEnabled());
        f.report->ActFirstPageExecute();
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/2"));
    }

    void firstPageShowsAtOnceAndTheRestInTheBackground()
    {
        Fixture f(6);
        f.report->ShowReport();
        QCOMPARE(f.report->zoom(), 0);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/1"));
        QCOMPARE(f.log.pagesStarted, 1);
        QVERIFY(f.report->isWorkerRunning());
        QVERIFY(f.report->actSuspend()->isEnabled());
        QVERIFY(f.report->actLastPage()->isEnabled()); // pages remain to be rendered
        QVERIFY(waitForWorker(*f.report));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/6"));
        QCOMPARE(f.log.pagesStarted, 6);
        QCOMPARE(f.log.pagesEnded, 6);
        QCOMPARE(f.log.pageTitles.last(), QStringLiteral("6 ﾍﾟｰｼﾞ"));
        QVERIFY(!f.report->actSuspend()->isEnabled());
        f.report->ActLastPageExecute();
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("6/6"));
        f.report->ActPriorPageExecute();
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("5/6"));
        QCOMPARE(f.test->rows().opens, 1);
        QCOMPARE(f.log.prepares, 1);
    }

    void printingARangeOutputsOnlyThosePagesWithTheirNumbers()
    {
        Fixture f(6);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        f.choice = range(3, 4);
        f.log.pageTitles.clear();
        f.report->ActPrintExecute();
        QCOMPARE(f.dialogs, 1);
        QCOMPARE(f.lastRequest.minPage, 1);
        QCOMPARE(f.lastRequest.maxPage, 6);
        QCOMPARE(f.lastRequest.fromPage, 1);
        QCOMPARE(f.lastRequest.toPage, 6);
        // Pages 1 and 2 are rendered without output; rendering stops after page 4.
        QCOMPARE(f.log.pageTitles,
                 (QStringList{"1 ﾍﾟｰｼﾞ", "2 ﾍﾟｰｼﾞ", "3 ﾍﾟｰｼﾞ", "4 ﾍﾟｰｼﾞ"}));
        QCOMPARE(pdfPageCount(f.pdfPath), 2);
        const QString text = pdfText(f.pdfPath);
        QVERIFY2(text.contains("3 ﾍﾟｰｼﾞ") && text.contains("4 ﾍﾟｰｼﾞ"), qPrintable(text));
        QVERIFY(!text.contains("2 ﾍﾟｰｼﾞ") && !text.contains("5 ﾍﾟｰｼﾞ"));
        QVERIFY(text.contains("振込先 11 番") && text.contains("振込先 20 番"));
        QVERIFY(!text.contains("振込先 10 番") && !text.contains("振込先 21 番"));
        QVERIFY(f.log.noticeShownWhilePrinting);
        QVERIFY(!TPrintMsg::instance());
        QVERIFY(f.report->isEnabled());
        // The preview stays as it was.
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/6"));
    }

    void selectionPrintsTheShownImage()
    {
        Fixture f(6);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        f.report->ActNextPageExecute();
        f.choice = TBaseLRep::PrintChoice{TBaseLRep::PrintChoice::Range::Selection, 0, 0};
        f.report->ActPrintExecute();
        QCOMPARE(pdfPageCount(f.pdfPath), 1);
        QVERIFY(pdfText(f.pdfPath).contains("2 ﾍﾟｰｼﾞ"));
    }

    void cancelledPrintDialogPrintsNothing()
    {
        Fixture f(2);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        const int pages = f.log.pagesStarted;
        f.report->ActPrintExecute();
        QCOMPARE(f.dialogs, 1);
        QCOMPARE(f.log.pagesStarted, pages);
        QVERIFY(!QFile::exists(f.pdfPath));
    }

    void printingWhileTheWorkerRunsPrintsEveryPageAndStopsIt()
    {
        Fixture f(40);
        f.report->ShowReport();
        QVERIFY(f.report->isWorkerRunning());
        QCoreApplication::processEvents(); // let a step or two run
        const int storedBefore = f.report->engine().store().count();
        QVERIFY(storedBefore < 40);
        f.choice = TBaseLRep::PrintChoice{};
        f.report->ActPrintExecute();
        QVERIFY(!f.report->isWorkerRunning());
        QCOMPARE(pdfPageCount(f.pdfPath), 40);
        const int stored = f.report->engine().store().count();
        QTest::qWait(100);
        QCOMPARE(f.report->engine().store().count(), stored); // not restarted
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/%1").arg(stored));
    }

    void previewAgainStartsOverFromPageOne()
    {
        Fixture f(8);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        f.report->ActLastPageExecute();
        f.log.pageTitles.clear();
        f.report->ActPreviewExecute();
        QCOMPARE(f.log.pageTitles, QStringList{"1 ﾍﾟｰｼﾞ"});
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/1"));
        // Only pages rendered since can be reached.
        f.report->jumpField()->setText("5");
        f.report->jumpField()->setModified(true);
        QTest::keyClick(f.report->jumpField(), Qt::Key_Return);
        QCOMPARE(f.beeps, 1);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/1"));
        QVERIFY(waitForWorker(*f.report));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/8"));
        QCOMPARE(f.test->rows().opens, 1); // the open result is reused
        QCOMPARE(f.log.prepares, 2);
    }

    void jumpFieldMovesToTheTypedPage()
    {
        Fixture f(9);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        QLineEdit *jump = f.report->jumpField();
        QApplication::setActiveWindow(f.report);
        jump->setFocus();
        QTest::keyClicks(jump, "007");
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(jump->text(), QStringLiteral("7"));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("7/9"));
        QCOMPARE(f.beeps, 0);

        jump->clear();
        QTest::keyClicks(jump, "0");
        QTest::keyClick(jump, Qt::Key_Return);
        QVERIFY(jump->text().isEmpty());
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("7/9"));

        jump->clear();
        QTest::keyClicks(jump, "12");
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(f.beeps, 1); // no image holds page 12
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("7/9"));
        QVERIFY(f.boxes.empty());

        jump->clear();
        QTest::keyClicks(jump, "abc");
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(f.beeps, 2);
        QCOMPARE(f.boxes.count(), size_t(1));
        QVERIFY(QString::fromStdString(f.boxes.shown()[0].text).contains("abc"));
        QCOMPARE(f.boxes.shown()[0].icon, MessageIcon::Error);
        QCOMPARE(QApplication::focusWidget(), jump);
        QCOMPARE(jump->selectedText(), QStringLiteral("abc"));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("7/9"));
    }

    void keysTurnPagesAndShowThePreviewWhereverTheFocusIs()
    {
        Fixture f(3);
        f.report->resize(700, 500); // a page is taller than the view
        f.report->show();
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        QApplication::setActiveWindow(f.report);
        QScrollArea *view = f.report->pageView();
        view->setFocus();
        QScrollBar *bar = view->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        // PageDown scrolls down a page, and past its foot turns to the next.
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/3"));
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("2/3"));
        QCOMPARE(bar->value(), 0);
        QTest::keyClick(view, Qt::Key_PageUp);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/3"));
        QCOMPARE(bar->value(), bar->maximum());

        // Ctrl+V is 画面表示 also while a page number is being typed.
        f.report->Act80Execute(50);
        QVERIFY(waitForWorker(*f.report));
        QCOMPARE(f.report->zoom(), 50);
        f.report->jumpField()->setFocus();
        QTest::keyClick(f.report->jumpField(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.report->zoom(), 0);
    }

    void jumpAtReducedSizeShowsTheSheetHoldingThePage()
    {
        Fixture f(9);
        f.report->show();
        f.report->Act80Execute(50);
        QVERIFY(waitForWorker(*f.report));
        QLineEdit *jump = f.report->jumpField();
        jump->setText("6");
        jump->setModified(true);
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("2/3"));
    }

    void pausingKeepsThePreviewAndClosingWhilePausedRunsNoStep()
    {
        Fixture f(30);
        f.report->ShowReport();
        QVERIFY(f.report->isWorkerRunning());
        f.report->actSuspend()->trigger();
        QVERIFY(f.report->actSuspend()->isChecked());
        QVERIFY(f.report->isWorkerPaused());
        const int pages = f.log.pagesStarted;
        QTest::qWait(50);
        QCOMPARE(f.log.pagesStarted, pages); // paused: no step
        QVERIFY(f.report->actLastPage()->isEnabled());
        const QString storeFile = f.report->engine().store().fileName();
        QVERIFY(QFile::exists(storeFile));

        f.report->close(); // released on close
        QTest::qWait(50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f.report.isNull());
        QCOMPARE(f.log.pagesStarted, pages);
        QVERIFY(!QFile::exists(storeFile));
    }

    void resumingContinuesToTheEnd()
    {
        Fixture f(12);
        f.report->ShowReport();
        f.report->ActSuspendExecute();
        QVERIFY(f.report->isWorkerPaused());
        f.report->ActSuspendExecute();
        QVERIFY(!f.report->actSuspend()->isChecked());
        QVERIFY(waitForWorker(*f.report));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("1/12"));
    }

    void emptyReportSaysSoAndRendersNothing()
    {
        Fixture f(0, 0);
        f.report->ShowReport();
        QCOMPARE(f.beeps, 1);
        QCOMPARE(f.boxes.count(), size_t(1));
        QCOMPARE(f.boxes.shown()[0].text, std::string("印刷対象データがありません．"));
        QCOMPARE(f.log.pagesStarted, 0);
        QVERIFY(!f.report->isWorkerRunning());
        QVERIFY(f.report->pageDisplayText().isEmpty());
        f.choice = TBaseLRep::PrintChoice{};
        f.report->ActPrintExecute();
        QCOMPARE(f.boxes.count(), size_t(2));
        QVERIFY(!QFile::exists(f.pdfPath));
        QVERIFY(!TPrintMsg::instance());
        QVERIFY(f.report->isEnabled());
    }

    void reportWithoutDataSetIsAbandoned()
    {
        Fixture f(1);
        f.test->setDataSet(nullptr);
        f.report->ShowReport();
        QCOMPARE(f.beeps, 1);
        QCOMPARE(f.boxes.count(), size_t(1));
        QCOMPARE(f.boxes.shown()[0].text, std::string("dsMast.DataSet にデータセットを指定してください．"));
        QCOMPARE(f.log.pagesStarted, 0);
    }

    void pdfActionWritesTheSamePagesAsPaper()
    {
        Fixture f(3);
        f.report->ShowReport();
        f.report->actPdf()->trigger();
        QCOMPARE(f.dialogs, 0);
        QCOMPARE(pdfPageCount(f.pdfPath), 3);
        const QString text = pdfText(f.pdfPath);
        QVERIFY(text.contains("1 ﾍﾟｰｼﾞ") && text.contains("3 ﾍﾟｰｼﾞ"));
        QVERIFY(text.contains("試") && text.contains("振込先 15 番"));
        QVERIFY(pdfFonts(f.pdfPath).contains("IPAMincho"));
        // A4 portrait, and positions measured from the paper edge: the centred
        // "番号" of the grid's title row lies in its field at x 37..137, y 125..148
        // layout units (0.75 pt each).
        QVERIFY(pdfInfo(f.pdfPath).contains("(A4)"));
        // The file is offered under the report's name and bears it as its title.
        QCOMPARE(QFileInfo(f.suggestedPdf).fileName(), QStringLiteral("rptTest.pdf"));
        QVERIFY2(pdfInfo(f.pdfPath).contains(QRegularExpression(QStringLiteral("Title: +rptTest\n"))),
                 qPrintable(pdfInfo(f.pdfPath)));
        const QRectF box = pdfWordBox(f.pdfPath, QStringLiteral("番号"));
        QVERIFY2(box.left() > 37 * 0.75 && box.right() < 137 * 0.75, qPrintable(QString::number(box.left())));
        QVERIFY2(box.top() > 125 * 0.75 && box.bottom() < 148 * 0.75, qPrintable(QString::number(box.top())));
        QVERIFY(std::abs(box.center().x() - 87 * 0.75) < 2);
        QVERIFY(!f.report->isWorkerRunning());
        // A4 portrait.
        QCOMPARE(f.report->actPdf()->text(), QStringLiteral("PDF出力(&D)..."));
    }

    void failureWhilePrintingRestoresTheWindowAndReportsIt()
    {
        Fixture f(4);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        f.test->failAtRow = 7; // on page 2
        f.choice = TBaseLRep::PrintChoice{};
        f.report->ActPrintExecute();
        QCOMPARE(f.boxes.count(), size_t(1));
        QCOMPARE(f.boxes.shown()[0].text, std::string("the amount does not convert"));
        QCOMPARE(f.boxes.shown()[0].icon, MessageIcon::Error);
        QVERIFY(!TPrintMsg::instance());
        QVERIFY(f.report->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(f.report->engine().state(), ReportEngine::State::Idle);
        // The next print runs normally again.
        f.test->failAtRow = -1;
        f.report->ActPrintExecute();
        QCOMPARE(pdfPageCount(f.pdfPath), 4);
    }

    void failingQueryIsReportedAndNothingIsRendered()
    {
        Fixture f(2);
        f.test->rows().failOpen = true;
        f.report->ShowReport();
        QCOMPARE(f.boxes.count(), size_t(1));
        QCOMPARE(f.boxes.shown()[0].text, std::string("no such table: T_振込"));
        QCOMPARE(f.log.pagesStarted, 0);
        QVERIFY(!f.report->isWorkerRunning());
    }

    void withoutAPrinterPrintingAsksForAPdfFile()
    {
        Fixture f(2);
        if (f.report->printer().outputFormat() != QPrinter::PdfFormat)
            QSKIP("a printer is installed on this machine");
        f.report->setPrintDialogHook([](QPrinter &, const TBaseLRep::PrintRequest &request) {
            (void)request;
            return std::optional<TBaseLRep::PrintChoice>(TBaseLRep::PrintChoice{});
        });
        f.report->ShowReport();
        f.report->ActPrintExecute();
        QCOMPARE(pdfPageCount(f.pdfPath), 2);
        QVERIFY(f.report->printer().outputFileName().isEmpty()); // asked again next time
    }

    void printingNoticeSaysSoAndIsSingle()
    {
        TPrintMsg *notice = TPrintMsg::showNotice();
        QCOMPARE(TPrintMsg::showNotice(), notice);
        QCOMPARE(notice->windowTitle(), QStringLiteral("Now Printing..."));
        QCOMPARE(notice->size(), QSize(243, 82));
        QCOMPARE(notice->messageText(), QStringLiteral("ただいま印刷中です。\nしばらくお待ち下さい．．．"));
        QVERIFY(QGuiApplication::overrideCursor());
        TPrintMsg::closeNotice();
        QVERIFY(!TPrintMsg::instance());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // Printing as a clerk meets it: clicks made during the job, copies into a
    // PDF, the jump field and the keyboard.
    void clicksMadeDuringAPrintJobAreDroppedNotReplayed()
    {
        Fixture f(3);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        QPushButton *print = nullptr;
        for (QPushButton *b : f.report->findChildren<QPushButton *>())
            print = b->text() == QStringLiteral("印刷") ? b : print;
        QVERIFY(print);
        f.choice = TBaseLRep::PrintChoice{};
        // A second click on 印刷 arrives while the first job runs.
        f.whileTheDialogIsOpen = [&] {
            f.whileTheDialogIsOpen = nullptr;
            const QPoint centre = print->rect().center();
            QCoreApplication::postEvent(print, new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                               print->mapToGlobal(centre), Qt::LeftButton,
                                                               Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(print, new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                               print->mapToGlobal(centre), Qt::LeftButton,
                                                               Qt::NoButton, Qt::NoModifier));
        };
        print->click();
        QCoreApplication::processEvents();
        QCOMPARE(f.dialogs, 1);
        QVERIFY(f.report->isEnabled());
        QCOMPARE(pdfPageCount(f.pdfPath), 3);
    }

    void theNoticeIsDrawnAgainAfterEveryPrintedPage()
    {
        Fixture f(4);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        f.choice = TBaseLRep::PrintChoice{};
        struct Paints : QObject
        {
            int count = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                count += event->type() == QEvent::Paint;
                return false;
            }
        } paints;
        f.whileTheDialogIsOpen = [&] { TPrintMsg::showNotice()->installEventFilter(&paints); };
        f.report->ActPrintExecute();
        QVERIFY(paints.count >= 1 + 4);
        QVERIFY(!TPrintMsg::instance());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void copiesIntoAPdfArePrintedEachFromItsFirstPage()
    {
        Fixture f(3);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        f.choice = TBaseLRep::PrintChoice{};
        f.copies = 2;
        f.report->ActPrintExecute();
        QCOMPARE(pdfPageCount(f.pdfPath), 6);
        QCOMPARE(pdfText(f.pdfPath).count(QStringLiteral("1 ﾍﾟｰｼﾞ")), 2);
        QCOMPARE(f.log.pageTitles.count(QStringLiteral("3 ﾍﾟｰｼﾞ")), 3); // preview once, two copies
    }

    void enterInTheJumpFieldSelectsItsTextAndABadEntryStopsPrinting()
    {
        Fixture f(9);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        QLineEdit *jump = f.report->jumpField();
        QApplication::setActiveWindow(f.report);
        jump->setFocus();
        QTest::keyClicks(jump, "3");
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(jump->selectedText(), QStringLiteral("3"));
        QTest::keyClicks(jump, "5"); // replaces the 3
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(jump->text(), QStringLiteral("5"));
        QCOMPARE(f.report->pageDisplayText(), QStringLiteral("5/9"));

        jump->selectAll();
        QTest::keyClicks(jump, "abc");
        f.choice = TBaseLRep::PrintChoice{};
        f.report->ActPrintExecute();
        QCOMPARE(f.dialogs, 0); // the conversion error alone, no print dialog behind it
        QCOMPARE(f.boxes.count(), size_t(1));
        QCOMPARE(QString::fromStdString(f.boxes.shown()[0].text), QStringLiteral("'abc' は整数ではありません．"));
    }

    void thePageViewTakesTheKeysAndEveryPageIsShownFromItsTopAndCentred()
    {
        Fixture f(3);
        f.report->resize(1000, 500);
        f.report->ShowReport();
        QVERIFY(waitForWorker(*f.report));
        QApplication::setActiveWindow(f.report);
        auto *view = f.report->findChild<QScrollArea *>();
        QVERIFY(view);
        QCOMPARE(QApplication::focusWidget(), view);
        QVERIFY(view->styleSheet().contains(QStringLiteral("highlight"))); // seen to have the focus
        QScrollBar *bar = view->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QTest::keyClick(view, Qt::Key_PageDown);
        QVERIFY(bar->value() > 0);
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(bar->value(), bar->maximum());
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
        QTest::keyClick(view, Qt::Key_Down);
        QVERIFY(bar->value() > 0);

        QTest::keyClick(view, Qt::Key_End);
        f.report->ActNextPageExecute();
        QCOMPARE(bar->value(), 0);
        // Centred beside the scroll bar in a window wider than the page.
        f.report->showNormal();
        f.report->resize(1200, 600);
        QCoreApplication::processEvents();
        auto *image = view->widget()->findChild<QLabel *>();
        QVERIFY(image);
        QVERIFY(view->viewport()->width() > image->width());
        QCOMPARE(image->x(), (view->viewport()->width() - image->width()) / 2);
    }
};

QObject *createReportFrameTest() { return new ReportFrameTest; }

#include "reportframe_test.moc"
