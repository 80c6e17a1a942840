// The transfer request form and the fee list, read back from their PDF text.
#include "outputfixture.h"
#include "reports/testreport.h"
#include "support/scriptedmessageboxes.h"

#include "output/furikomi.h"
#include "output/transferreports.h"
#include "reports/baselrep.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace pelanova;
using namespace pelanova::output;
using pelanova::testing::OutputDb;
using pelanova::testing::transfers;
using pelanova::testing::transferTo;

namespace {

constexpr int kDate = 20080305;
const std::string kConsignor = "0000012345";

int count(const QString &text, const QString &pattern)
{
    return int(text.count(QRegularExpression(pattern)));
}

template <typename R>
QString writePdf(const sql::Database &db, const QTemporaryDir &dir, int facility = -1)
{
    R report(db);
    report.setUp(kConsignor, kDate, facility, BuildFurikomiSql(kDate, kConsignor, facility));
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    if (writeReportPdf(report, path) != Report::Prepared::Ready)
        return QString();
    return path;
}

} // namespace

class TransferReportsTest : public QObject
{
    Q_OBJECT

private slots:
    void requestFormOf38LinesIsOnePageWithItsTotal()
    {
        OutputDb o;
        o.addConsignor(kConsignor, "ｶ)ﾍﾟﾗﾉｳﾞｧ");
        o.import(kDate, 1, kConsignor, transfers(38));
        QTemporaryDir dir;
        const QString pdf = writePdf<TrptFurikomi>(o.db, dir);
        QCOMPARE(test::pdfPageCount(pdf), 1);
        // Named as the clerk knows it, in the PDF's title and the preview's caption.
        QVERIFY(test::pdfInfo(pdf).contains(QStringLiteral("振込依頼書\n")));
        QCOMPARE(TrptFurikomi(o.db).title(), QStringLiteral("印刷プレビュー（振込依頼書）"));
        QCOMPARE(TrptFurikomiTesuuryou(o.db).title(), QStringLiteral("印刷プレビュー（振込手数料一覧）"));
        const QString text = test::pdfPageText(pdf, 1);
        QVERIFY(text.contains(QStringLiteral("1 ﾍﾟｰｼﾞ")));
        // A one-digit month and day are each filled with a blank.
        QCOMPARE(QString::fromStdString(formatReportDate(kDate)), QStringLiteral("2008年  3月  5日"));
        QCOMPARE(QString::fromStdString(formatReportDate(20081215)), QStringLiteral("2008年 12月 15日"));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("振込依頼日\\s+2008年\\s+3月\\s+5日"))));
        QVERIFY(text.contains(QStringLiteral("ｶ)ﾍﾟﾗﾉｳﾞｧ")));
        QCOMPARE(count(text, QStringLiteral("0005-001")), 38);
        QCOMPARE(count(text, QStringLiteral("電信")), 38);
        QVERIFY(!text.contains(QStringLiteral("次項に続く")));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("38\\s+件"))));
        // 38 × 10,000 + (0 + … + 37), the consignor bearing every fee.
        QVERIFY(text.contains(QStringLiteral("380,703")));
    }

    void requestFormOf39LinesContinuesOnASecondPage()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        o.import(kDate, 1, kConsignor, transfers(39));
        QTemporaryDir dir;
        const QString pdf = writePdf<TrptFurikomi>(o.db, dir);
        QCOMPARE(test::pdfPageCount(pdf), 2);
        const QString first = test::pdfPageText(pdf, 1);
        const QString second = test::pdfPageText(pdf, 2);
        QVERIFY(first.contains(QStringLiteral("次項に続く＞＞")));
        QVERIFY(!first.contains(QStringLiteral("件")));
        QCOMPARE(count(first, QStringLiteral("0005-001")), 38);
        QVERIFY(!second.contains(QStringLiteral("次項に続く")));
        QVERIFY(second.contains(QStringLiteral("2 ﾍﾟｰｼﾞ")));
        QCOMPARE(count(second, QStringLiteral("0005-001")), 1);
        QVERIFY(second.contains(QRegularExpression(QStringLiteral("39\\s+件"))));
        QVERIFY(second.contains(QStringLiteral("390,741")));
    }

    void feesAreShownOnTheSideThatBearsThemAndTheAmountIsLessARecipientsFee()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        // 0000000 bears its fee from 0 yen on; 0000001 leaves it to the consignor.
        o.addRecipient(kConsignor, 5, 1, "0000000", 1, 0, "みずなみ銀行", "本店営業部");
        o.addRecipient(kConsignor, 5, 1, "0000001", 0, 0);
        pelanova::testing::Transfer savings = transferTo("0000001", 20000);
        savings.type = 4;
        o.import(kDate, 1, kConsignor, {transferTo("0000000", 50000), savings});
        QTemporaryDir dir;
        const QString fees = test::pdfPageText(writePdf<TrptFurikomiTesuuryou>(o.db, dir), 1);
        QVERIFY(fees.contains(QStringLiteral("みずなみ銀行")));
        QVERIFY(fees.contains(QStringLiteral("本店営業部")));
        QVERIFY(fees.contains(QRegularExpression(QStringLiteral("49,370\\s+電信\\s+630"))));
        QVERIFY(fees.contains(QRegularExpression(QStringLiteral("20,000\\s+電信\\s+420"))));
        // Subtotal and total: 2 lines, 69,370 yen, 420 on the consignor, 630 on the recipients.
        QCOMPARE(count(fees, QStringLiteral("2 件\\s+69,370\\s+420\\s+630")), 2);

        const QString request = test::pdfPageText(writePdf<TrptFurikomi>(o.db, dir), 1);
        QVERIFY(request.contains(QStringLiteral("49,370")));
        QVERIFY(request.contains(QStringLiteral("69,370")));
        QVERIFY(request.contains(QRegularExpression(QStringLiteral("普通.*\\n.*貯蓄"))));

        // The print list prices the lines the same way.
        const FurikomiList list = LoadFurikomiList(o.db, kDate, kConsignor, -1);
        QCOMPARE(QString::fromStdString(list.lines[0].amount), QStringLiteral("49,370"));
        QCOMPARE(QString::fromStdString(list.lines[0].recipientFee), QStringLiteral("630"));
        QCOMPARE(QString::fromStdString(list.lines[1].ownFee), QStringLiteral("420"));
    }

    void withoutAConsignorRowAmountsPrintWholeAndNoFee()
    {
        OutputDb o;
        o.addRecipient(kConsignor, 5, 1, "0000000", 1, 0);
        o.import(kDate, 1, kConsignor, {transferTo("0000000", 50000)});
        QTemporaryDir dir;
        const QString fees = test::pdfPageText(writePdf<TrptFurikomiTesuuryou>(o.db, dir), 1);
        QVERIFY(fees.contains(QRegularExpression(QStringLiteral("50,000\\s+電信\\s*\\n"))));
        QCOMPARE(count(fees, QStringLiteral("1 件\\s+50,000\\s+0\\s+0")), 2);
    }

    void feeListOf37LinesHasEqualSubtotalAndTotal()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        o.import(kDate, 1, kConsignor, transfers(37));
        QTemporaryDir dir;
        const QString pdf = writePdf<TrptFurikomiTesuuryou>(o.db, dir);
        QCOMPARE(test::pdfPageCount(pdf), 1);
        // 37 × 10,000 + 666 yen; 420 yen each up to 29,999.
        QCOMPARE(count(test::pdfPageText(pdf, 1), QStringLiteral("37 件\\s+370,666\\s+15,540\\s+0")), 2);
    }

    void feeListOf38LinesFillsItsGrandTotalOnThePageWithTheLastLine()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        o.import(kDate, 1, kConsignor, transfers(38));
        QTemporaryDir dir;
        const QString pdf = writePdf<TrptFurikomiTesuuryou>(o.db, dir);
        QCOMPARE(test::pdfPageCount(pdf), 2);
        const QString first = test::pdfPageText(pdf, 1);
        const QString second = test::pdfPageText(pdf, 2);
        QCOMPARE(count(first, QStringLiteral("37 件\\s+370,666\\s+15,540\\s+0")), 1);
        QCOMPARE(count(first, QStringLiteral("件")), 1); // the total line holds no values
        QVERIFY(first.contains(QStringLiteral("合")));
        QCOMPARE(count(second, QStringLiteral("0005-001")), 1);
        QCOMPARE(count(second, QStringLiteral("1 件\\s+10,037\\s+420\\s+0")), 1);
        QCOMPARE(count(second, QStringLiteral("38 件\\s+380,703\\s+15,960\\s+0")), 1);
    }

    void previewHalfSizePreviewAndPrintGiveTheSameTotals()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        o.import(kDate, 1, kConsignor, transfers(100));
        QTemporaryDir dir;
        const QString alone = test::pdfPageText(writePdf<TrptFurikomiTesuuryou>(o.db, dir), 3);

        test::ScriptedMessageBoxes boxes;
        QPointer<TBaseLRep> window;
        ShowFeeReport(window, boxes, o.db, kConsignor, kDate, -1, BuildFurikomiSql(kDate, kConsignor, -1));
        QVERIFY(window);
        QVERIFY(test::waitForWorker(*window));
        window->Act80Execute(50);
        QVERIFY(test::waitForWorker(*window));
        const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
        window->setPdfFileDialogHook([pdf](const QString &) { return pdf; });
        window->ActPdfExecute();
        QCOMPARE(test::pdfPageCount(pdf), 3);
        QCOMPARE(test::pdfPageText(pdf, 3), alone);
        QVERIFY(alone.contains(QStringLiteral("100 件")));
        QVERIFY(boxes.empty());

        // A second request reuses the open window with the new selection.
        QPointer<TBaseLRep> before = window;
        ShowFeeReport(window, boxes, o.db, kConsignor, kDate + 1, -1, BuildFurikomiSql(kDate + 1, kConsignor, -1));
        QCOMPARE(window.data(), before.data());
        QCOMPARE(boxes.count(), size_t(1));
        QCOMPARE(QString::fromStdString(boxes.shown()[0].text), QStringLiteral("印刷対象データがありません．"));
        delete window.data();
    }

    // The data set holds only its current row: the rows it read come back
    // from its file on a rewind, in order and as they were when it opened,
    // also after the lines changed meanwhile and while the statement is still
    // being read.
    void dataSetRewindsThroughTheRowsItReadAsTheyWere()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        o.import(kDate, 1, kConsignor, transfers(90));
        FurikomiDataSet rows(o.db);
        rows.setUp(kConsignor, BuildFurikomiSql(kDate, kConsignor, -1));
        QVERIFY(rows.eof()); // closed
        rows.open();
        std::vector<std::string> firstRun;
        for (int i = 0; i < 40 && !rows.eof(); ++i, rows.next())
            firstRun.push_back(rows.row().account + ' ' + std::to_string(rows.row().amount));
        QCOMPARE(rows.rowsRead(), size_t(41)); // the current row, the 41st, is read too

        o.db.exec("UPDATE T_データレコード SET 引落金額 = 1");
        o.import(kDate, 2, kConsignor, transfers(95));
        rows.first();
        std::vector<std::string> secondRun;
        for (; !rows.eof(); rows.next())
            secondRun.push_back(rows.row().account + ' ' + std::to_string(rows.row().amount));
        QCOMPARE(secondRun.size(), size_t(90));
        QVERIFY(std::equal(firstRun.begin(), firstRun.end(), secondRun.begin()));
        QCOMPARE(secondRun.back(), std::string("0000089 10089"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, rows.row());

        rows.first(); // a third run, all from the file
        QCOMPARE(rows.row().account + ' ' + std::to_string(rows.row().amount), secondRun.front());
        rows.close();
        QVERIFY(rows.eof());
        rows.open(); // opened again: the lines as they are now
        QCOMPARE(rows.row().amount, int64_t(10000 + 1));
    }

    // Printing after the preview shows the preview's lines, although the
    // preview's rows are not kept in memory and the lines changed since.
    void printAfterThePreviewShowsThePreviewedLines()
    {
        OutputDb o;
        o.addConsignor(kConsignor);
        o.import(kDate, 1, kConsignor, transfers(80));
        QTemporaryDir dir;
        const QString alone = test::pdfPageText(writePdf<TrptFurikomi>(o.db, dir), 3);

        test::ScriptedMessageBoxes boxes;
        QPointer<TBaseLRep> window;
        ShowTransferRequest(window, boxes, o.db, kConsignor, kDate, -1, BuildFurikomiSql(kDate, kConsignor, -1));
        QVERIFY(window);
        QVERIFY(test::waitForWorker(*window));
        o.db.exec("UPDATE T_データレコード SET 預金者名 = 'ｶﾜｯﾀ'");
        const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
        window->setPdfFileDialogHook([pdf](const QString &) { return pdf; });
        window->ActPdfExecute();
        QCOMPARE(test::pdfPageCount(pdf), 3);
        QCOMPARE(test::pdfPageText(pdf, 3), alone);
        QVERIFY(!test::pdfPageText(pdf, 1).contains(QStringLiteral("ｶﾜｯﾀ")));
        QVERIFY(boxes.empty());
        delete window.data();
    }
};

QObject *createTransferReportsTest() { return new TransferReportsTest; }

#include "transferreports_test.moc"
