#include "testreport.h"

#include "core/sql.h"
#include "reports/reportdataset.h"
#include "reports/reportengine.h"

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace pelanova;
using namespace pelanova::test;

namespace {

bool isDark(const QImage &image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }
bool isWhite(const QImage &image, int x, int y) { return qGray(image.pixel(x, y)) == 255; }

// A layout with one grid whose rows each consume one data row.
struct SmallReport
{
    explicit SmallReport(int rows, int linesPerPage)
        : data(rows), engine(&layout)
    {
        data.open();
        ReportBand *title = layout.addBand(QRect(37, 37, 720, 25));
        page = title->addField(QRect(0, 0, 720, 25), QString(), HAlign::Right);
        title->beforePrint = [this] {
            page->text = QStringLiteral("%1 ﾍﾟｰｼﾞ").arg(engine.pageNumber());
            events << QStringLiteral("band");
        };
        grid = layout.addRowGrid(QRect(37, 65, 720, 23 * linesPerPage), linesPerPage);
        ReportRowLayout *line = grid->addRowLayout(23);
        ReportField *text = line->addField(QRect(0, 0, 720, 23));
        line->beforePrint = [this, line, text] {
            events << QStringLiteral("line");
            if (data.eof()) {
                line->clearTexts();
                return;
            }
            text->text = QStringLiteral("行%1").arg(data.row() + 1);
            data.next();
        };
        grid->rowChoice = [this, line](int row) {
            events << QStringLiteral("row%1").arg(row);
            return line;
        };
        engine.setDataSet(&data);
        engine.pageBeforePrint = [this] { events << QStringLiteral("before"); };
        engine.pageAfterPrint = [this] { events << QStringLiteral("after"); };
    }

    CountingDataSet data;
    ReportLayout layout;
    ReportEngine engine;
    ReportRowGrid *grid = nullptr;
    ReportField *page = nullptr;
    QStringList events;
};

} // namespace

class ReportEngineTest : public QObject
{
    Q_OBJECT

private slots:
    void rowGridPlacesRowsAtTheNearestUnit()
    {
        ReportLayout layout;
        ReportRowGrid *grid = layout.addRowGrid(QRect(37, 125, 720, 936), 40);
        QCOMPARE(grid->rowHeight(), 23);
        QCOMPARE(grid->rowTop(0), 0);
        QCOMPARE(grid->rowTop(1), 23);  // 23.4
        QCOMPARE(grid->rowTop(3), 70);  // 70.2
        QCOMPARE(grid->rowTop(8), 187); // 187.2
        QCOMPARE(grid->rowTop(39), 913); // 912.6
        ReportRowGrid *list = layout.addRowGrid(QRect(37, 65, 720, 1021), 45);
        QCOMPARE(list->rowHeight(), 22);
        QCOMPARE(list->rowTop(44), 998); // 998.31
    }

    void pageRaisesNotificationsInDrawingOrder()
    {
        SmallReport report(3, 2);
        report.engine.startPreview();
        QCOMPARE(report.engine.pageNumber(), 0);
        report.engine.renderPreviewPage(true);
        QCOMPARE(report.engine.pageNumber(), 1);
        QCOMPARE(report.events, (QStringList{"before", "band", "row0", "line", "row1", "line", "after"}));
        QCOMPARE(report.page->text, QStringLiteral("1 ﾍﾟｰｼﾞ"));
        QVERIFY(!report.engine.isFinished());
        report.engine.renderPreviewPage(false);
        QVERIFY(report.engine.isFinished());
        QCOMPARE(report.engine.store().count(), 2);
        QCOMPARE(report.engine.store().shownIndex(), 0);
        QCOMPARE(report.engine.store().imageOfPage(2), 1);
        QCOMPARE(report.engine.store().imageOfPage(3), -1);
    }

    void fontsResolveToJapaneseFaces()
    {
        QFont mincho(kFontMincho);
        QFont gothic(kFontGothic);
        QCOMPARE(QFontInfo(mincho).family(), QStringLiteral("IPAMincho"));
        QCOMPARE(QFontInfo(gothic).family(), QStringLiteral("IPAGothic"));
    }

    // The top and left lines lie one unit outside the field, the right and
    // bottom lines on its last unit column and row, so neighbours share them.
    void bordersSitOnTheSharedUnitLines()
    {
        ReportLayout layout;
        ReportBand *band = layout.addBand(QRect(100, 100, 300, 100));
        band->addField(QRect(0, 0, 100, 40), QString(), HAlign::Left,
                       {BorderLine::Normal, BorderLine::Normal, BorderLine::Normal, BorderLine::Normal});
        band->addField(QRect(100, 0, 100, 40), QString(), HAlign::Left,
                       {BorderLine::Thick, BorderLine::None, BorderLine::Thick, BorderLine::Thick});
        CountingDataSet data(1);
        ReportEngine engine(&layout);
        engine.setDataSet(&data);
        engine.startPreview();
        engine.renderPreviewPage(true);
        const QImage page = engine.store().shownImage();
        // First field: x 100..199, y 100..139.
        QVERIFY(isDark(page, 150, 99));   // top line on the row above
        QVERIFY(isWhite(page, 150, 101));
        QVERIFY(isDark(page, 99, 120));   // left line on the column left of it
        QVERIFY(isWhite(page, 101, 120));
        QVERIFY(isDark(page, 199, 120));  // right line on its last column
        QVERIFY(isWhite(page, 197, 120));
        QVERIFY(isDark(page, 150, 139));  // bottom line on its last row
        QVERIFY(isWhite(page, 150, 137));
        // Second field: thick lines, two units wide around the same centre lines.
        QVERIFY(isDark(page, 250, 99) && isDark(page, 250, 100));
        QVERIFY(isWhite(page, 250, 97));
        QVERIFY(isDark(page, 299, 120));
        QVERIFY(isDark(page, 250, 139));
        QVERIFY(isWhite(page, 250, 120));
        QVERIFY(isWhite(page, 250, 142));
    }

    void previewStoreKeepsImagesInItsFileOnly()
    {
        QString fileName;
        {
            PreviewStore store;
            QImage first(40, 30, QImage::Format_RGB32);
            first.fill(Qt::white);
            first.setPixel(3, 4, qRgb(0, 0, 0));
            QImage second(40, 30, QImage::Format_RGB32);
            second.fill(qRgb(128, 128, 128));
            QCOMPARE(store.append(first), 0);
            QCOMPARE(store.append(second), 1);
            QCOMPARE(store.shownIndex(), -1);
            QVERIFY(store.shownImage().isNull());
            fileName = store.fileName();
            QVERIFY(QFile::exists(fileName));
            QVERIFY(store.show(0));
            QCOMPARE(qGray(store.shownImage().pixel(3, 4)), 0);
            QCOMPARE(qGray(store.shownImage().pixel(5, 5)), 255);
            QVERIFY(store.show(1));
            QCOMPARE(qGray(store.shownImage().pixel(5, 5)), 128);
            QVERIFY(!store.show(2));
            QCOMPARE(store.shownIndex(), 1);
            // Shown as it is stored: the same grey as read back from the file.
            QCOMPARE(store.append(first, true), 2);
            QCOMPARE(store.shownIndex(), 2);
            const QImage shownAtOnce = store.shownImage();
            // Into the file before the next image, each in its place.
            QCOMPARE(store.append(second), 3);
            QVERIFY(store.show(2));
            QCOMPARE(shownAtOnce, store.shownImage());
            QVERIFY(store.show(3));
            QCOMPARE(qGray(store.shownImage().pixel(3, 4)), 128);
            const qint64 before = store.fileSize();
            QCOMPARE(store.append(second, true), 4);
            QVERIFY(store.fileSize() > before); // the shown one counted too
            QVERIFY(store.show(4));
            QCOMPARE(qGray(store.shownImage().pixel(3, 4)), 128);

            store.clear(); // a new preview replaces the file
            QVERIFY(!QFile::exists(fileName));
            QCOMPARE(store.count(), 0);
            store.append(first);
            fileName = store.fileName();
            QVERIFY(QFile::exists(fileName));
        }
        QVERIFY(!QFile::exists(fileName)); // removed with the store
    }

    void reducedPagesLandOnTheSheetAtTheirPosition()
    {
        SmallReport report(10, 2);
        report.engine.startPreview();
        report.engine.renderReducedPage(50, QPoint(0, 0));
        report.engine.renderReducedPage(50, QPoint(397, 0));
        report.engine.storeSheet(true);
        QCOMPARE(report.engine.store().count(), 1);
        QCOMPARE(report.engine.store().imageOfPage(1), 0);
        QCOMPARE(report.engine.store().imageOfPage(2), 0);
        QCOMPARE(report.engine.store().firstPageOfImage(0), 1);
        QCOMPARE(report.engine.store().lastPageOfImage(0), 2);
        const QImage sheet = report.engine.store().shownImage();
        auto inkIn = [&](QRect r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qGray(sheet.pixel(x, y)) < 200)
                        return true;
            return false;
        };
        QVERIFY(inkIn(QRect(0, 0, 397, 561)));
        QVERIFY(inkIn(QRect(397, 0, 397, 561)));
        QVERIFY(!inkIn(QRect(0, 562, 794, 561)));
    }

    // A range beyond the end of the report opens no job: no empty document.
    void printRangeBeyondTheReportStartsNoJob()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("none.pdf"));
        SmallReport report(4, 2); // two pages
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        report.engine.setPrintRange(5, 6);
        report.engine.startPrintJob(&printer);
        while (true) {
            report.engine.printNextPage();
            if (report.engine.isFinished())
                break;
            report.engine.newSheet();
        }
        QVERIFY(report.engine.endPrintJob());
        QCOMPARE(report.engine.pageNumber(), 2);
        QCOMPARE(report.engine.printedPages(), 0);
        QVERIFY(!QFile::exists(path));
    }

    void sqlDataSetRunsItsQueryOnceAndRewinds()
    {
        sql::Database db;
        db.open(":memory:", sql::Database::Mode::Create);
        db.exec("CREATE TABLE t (名前 TEXT, 金額 INTEGER)");
        db.exec("INSERT INTO t VALUES ('甲', 100), ('乙', NULL), ('丙', 300)");
        SqlDataSet rows(&db);
        rows.setSql("SELECT 名前, 金額 FROM t ORDER BY 金額");
        QVERIFY(!rows.isOpen());
        QVERIFY(rows.eof());
        rows.open();
        QCOMPARE(rows.rowCount(), size_t(3));
        QVERIFY(rows.isNull("金額"));
        QCOMPARE(rows.integer("金額"), 0);
        rows.next();
        QCOMPARE(rows.text("名前"), std::string("甲"));
        QCOMPARE(rows.int64("金額"), int64_t(100));
        db.exec("DELETE FROM t"); // an open set keeps its result
        rows.next();
        rows.next();
        QVERIFY(rows.eof());
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, rows.text("名前"));
        rows.first();
        QVERIFY(!rows.eof());
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, rows.text("無い列"));
        rows.setSql("SELECT 名前 FROM t"); // a new statement runs afresh
        QVERIFY(!rows.isOpen());
        rows.open();
        QVERIFY(rows.eof());
    }

    // A page with every border kind and Japanese text in both fonts is drawn
    // for the preview and printed with both fonts embedded.
    void samplePageEmbedsBothJapaneseFontsInThePdf()
    {
        ReportLayout layout;
        ReportBand *band = layout.addBand(QRect(37, 37, 720, 300));
        band->addField(QRect(0, 0, 720, 30), QStringLiteral("銀　行　振　込　依　頼　書"), HAlign::Center)->font =
            ReportFont{kFontGothic, 13, true, false};
        const BorderLine kinds[] = {BorderLine::None, BorderLine::Thin, BorderLine::Normal, BorderLine::Thick};
        const char *names[] = {"なし", "細線 thin", "普通 normal", "太線 thick"};
        for (int i = 0; i < 4; ++i) {
            ReportField *f = band->addField(QRect(10 + i * 175, 60, 160, 40),
                                            QString::fromUtf8(names[i]), HAlign::Center,
                                            {kinds[i], kinds[i], kinds[i], kinds[i]});
            (void)f;
        }
        band->addField(QRect(10, 130, 340, 23), QStringLiteral("明朝 12：振込先銀行 0001-023 ﾌﾘｺﾐ"),
                       HAlign::Left, {BorderLine::Thin, BorderLine::Thick, BorderLine::None, BorderLine::None});
        band->addField(QRect(350, 130, 340, 23), QStringLiteral("1,234,567"), HAlign::Right,
                       {BorderLine::Thin, BorderLine::Normal, BorderLine::Normal, BorderLine::None});
        ReportField *gothic = band->addField(QRect(10, 153, 340, 23), QStringLiteral("ゴシック 11：受取人 ｶ)ﾍﾟﾗﾉｳﾞｧ"),
                                             HAlign::Left, {BorderLine::Thin, BorderLine::Thick, BorderLine::None, BorderLine::Thick});
        gothic->font = ReportFont{kFontGothic, 11, false, false};
        ReportField *wrap = band->addField(QRect(350, 153, 160, 60),
                                           QStringLiteral("折り返しのある長い受取人名の欄です。改行されます。"),
                                           HAlign::Left, {BorderLine::Thin, BorderLine::Normal, BorderLine::Normal, BorderLine::Thick});
        wrap->wordWrap = true;
        CountingDataSet data(1);
        ReportEngine engine(&layout);
        engine.setDataSet(&data);
        engine.startPreview();
        engine.renderPreviewPage(true);
        QVERIFY(!engine.store().shownImage().isNull());
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("sample.pdf")));
        engine.startPrintJob(&printer);
        engine.printNextPage();
        QVERIFY(engine.endPrintJob());
        const QString fonts = pdfFonts(printer.outputFileName());
        QVERIFY2(fonts.contains("IPAMincho") && fonts.contains("IPAGothic"), qPrintable(fonts));
    }
};

QObject *createReportEngineTest() { return new ReportEngineTest; }

#include "reportengine_test.moc"
