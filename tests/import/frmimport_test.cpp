// The import screen as a user drives it: facility, date buttons, calendar,
// import through the file dialog, history, refusal, cancel and deletion.

#include "core/datamodule.h"
#include "core/my_year.h"
#include "core/schema.h"
#include "core/sql.h"
#include "import/frmimport.h"
#include "support/scriptedscreencontext.h"
#include "support/testdatabase.h"
#include "support/zenginfile.h"
#include "widgets/gradientbutton.h"
#include "widgets/japanesefonts.h"
#include "widgets/keyedlists.h"
#include "widgets/stripedgrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace pelanova;

namespace {

QString era(const QDate &d)
{
    return QString::fromStdString(WarekiText(d.year() * 10000 + d.month() * 100 + d.day()));
}

std::string transferFile(const std::string &mmdd, int records)
{
    testdata::HeaderSpec h;
    h.mmdd = mmdd;
    std::string bytes = testdata::header(h);
    for (int i = 0; i < records; ++i)
        bytes += testdata::data();
    char count[7], total[13];
    std::snprintf(count, sizeof count, "%06d", records);
    std::snprintf(total, sizeof total, "%012lld", 12345LL * records);
    return bytes + testdata::trailer(count, total) + testdata::end();
}

} // namespace

class ImportScreenTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TDM1> dm;
    std::unique_ptr<test::ScriptedScreenContext> ctx;

    QString path(const QString &name) const { return dir.filePath(name); }
    int rowsIn(const char *table)
    {
        auto st = dm->ADOConFurikomi.prepare(std::string("SELECT COUNT(*) FROM ") + table);
        st.step();
        return st.integer(0);
    }

private slots:
    void initTestCase() { installJapaneseFonts(); }

    void init()
    {
        QVERIFY(dir.isValid());
        const std::string db = test::ownDatabaseLocation(path("FBDB.db").toStdString());
        QFile::remove(QString::fromStdString(db));
        {
            sql::Database created;
            created.open(db, sql::Database::Mode::Create);
            schema::createOwnDatabase(created);
            created.exec("INSERT INTO M_施設 (施設コード, 施設名, 総合振込データファイル名) VALUES "
                         "(3, '第三施設', 'FB'), (4, '第四施設', NULL)");
        }
        dm = std::make_unique<TDM1>(path("pelanova.ini").toStdString(), db, nullptr);
        QVERIFY(dm->ADOConFurikomi.isOpen());
        ctx = std::make_unique<test::ScriptedScreenContext>(*dm);
    }

    void cleanup()
    {
        ctx.reset();
        dm.reset();
    }

    void wholeFlowFromFacilityToDeletion()
    {
        TfrmImport screen(ctx->context(), nullptr);
        screen.resize(900, 600);
        screen.show();
        QCOMPARE(screen.EditFurikomiDate->text(), era(QDate::currentDate()));
        QCOMPARE(screen.currentFacility(), std::optional<int>(3)); // first facility selected on showing
        QCOMPARE(screen.GridList->lineCount(), 0);

        // Date buttons: －, －, ＋ gives yesterday; the calendar writes its day back.
        screen.btnPrev->click();
        screen.btnPrev->click();
        screen.btnNext->click();
        QCOMPARE(screen.EditFurikomiDate->text(), era(QDate::currentDate().addDays(-1)));
        ctx->dates.answerOk(QDate(2008, 1, 15));
        screen.btnFurikomiDate->click();
        QCOMPARE(ctx->dates.openedOn().back(), QDate::currentDate().addDays(-1));
        QCOMPARE(screen.EditFurikomiDate->text(), QStringLiteral("平成20年01月15日"));
        ctx->dates.answerCancel();
        screen.btnFurikomiDate->click();
        QCOMPARE(screen.EditFurikomiDate->text(), QStringLiteral("平成20年01月15日"));

        // Import through the file dialog, which offers only the facility's files.
        testdata::writeFile(path("FB0115.txt").toStdString(), transferFile("0115", 2));
        ctx->files.answer(path("FB0115.txt"));
        screen.btnImport->click();
        QCOMPARE(ctx->files.calls().back().filter, QStringLiteral("振込データ(FB*.txt)|FB*.txt"));
        QCOMPARE(ctx->boxes.count(), size_t(0));
        QCOMPARE(screen.GridList->lineCount(), 1);
        QCOMPARE(screen.GridList->cellText(0, 0), QStringLiteral("第三施設"));
        QCOMPARE(screen.GridList->cellText(0, 1), QStringLiteral("2008/01/15"));
        QCOMPARE(screen.GridList->cellText(0, 2), QStringLiteral("2"));
        QCOMPARE(screen.GridList->cellText(0, 3), QStringLiteral("24,690"));
        QCOMPARE(screen.GridList->cellText(0, 4), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));

        // The same facility and date again: refused before the file dialog.
        screen.btnImport->click();
        QCOMPARE(ctx->files.calls().size(), size_t(1));
        QCOMPARE(ctx->boxes.last().text,
                 std::string("既に取り込みが完了しています。\n\r再度取り込むには一度削除してから取り込みを開始してください。"));

        // Another facility shows only its own history.
        screen.lstShisetu->setCurrentRow(1);
        QCOMPARE(screen.currentFacility(), std::optional<int>(4));
        QCOMPARE(screen.GridList->lineCount(), 0);
        screen.lstShisetu->setCurrentRow(0);
        QCOMPARE(screen.GridList->lineCount(), 1);

        // Delete: nothing selected does nothing; No keeps it; Yes deletes.
        ctx->boxes.clear();
        screen.GridList->setCurrentLine(-1);
        screen.btnDelete->click();
        QCOMPARE(ctx->boxes.count(), size_t(0));
        QVERIFY(screen.GridList->setCurrentLine(0));
        ctx->boxes.answer(IdNo);
        screen.btnDelete->click();
        QCOMPARE(ctx->boxes.last().text, std::string("第三施設\n\r2008/01/15を削除してもよろしいですか？"));
        QCOMPARE(rowsIn("T_ヘッダレコード"), 1);
        QVERIFY(screen.GridList->setCurrentLine(0));
        ctx->boxes.answer(IdYes);
        ctx->boxes.answer(IdOk);
        screen.btnDelete->click();
        QCOMPARE(ctx->boxes.last().text, std::string("削除しました。"));
        QCOMPARE(rowsIn("T_ヘッダレコード"), 0);
        QCOMPARE(rowsIn("M_銀行"), 0);
        QCOMPARE(screen.GridList->lineCount(), 0);
    }

    void cancelDuringALongImportStoresNothing()
    {
        TfrmImport screen(ctx->context(), nullptr);
        screen.show();
        screen.EditFurikomiDate->setText(QStringLiteral("2008/1/15"));
        testdata::writeFile(path("FBlong.txt").toStdString(), transferFile("0115", 3000));
        ctx->files.answer(path("FBlong.txt"));

        // Press ｷｬﾝｾﾙ once the bar has moved well into the file, as a user would.
        bool pressed = false;
        bool disabledWhileRunning = false;
        bool waitCursorWhileRunning = false;
        QTimer presser;
        presser.setInterval(0);
        connect(&presser, &QTimer::timeout, this, [&] {
            TfrmImportMsg *dialog = screen.progress().dialog();
            if (!pressed && dialog && dialog->isVisible() && dialog->progressBar()->value() >= 1500) {
                disabledWhileRunning = !screen.btnDelete->isEnabled() && !screen.btnMenu->isEnabled()
                                       && !screen.lstShisetu->isEnabled();
                waitCursorWhileRunning = QApplication::overrideCursor()
                                         && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
                dialog->cancelButton()->click();
                pressed = true;
            }
        });
        presser.start();
        screen.btnImport->click();
        presser.stop();

        QVERIFY(pressed);
        QVERIFY(disabledWhileRunning);
        QVERIFY(waitCursorWhileRunning);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(ctx->boxes.last().text, std::string("振込データの取込はキャンセルされました。"));
        QCOMPARE(ctx->boxes.last().title, std::string("総合振込データ"));
        QCOMPARE(rowsIn("T_データレコード"), 0);
        QCOMPARE(rowsIn("M_受取人"), 0);
        QCOMPARE(screen.GridList->lineCount(), 0);
        QVERIFY(screen.btnImport->isEnabled());
        QVERIFY(!screen.progress().dialog()); // closed and discarded
    }

    void dateButtonsFromAnUnreadableEntry()
    {
        TfrmImport screen(ctx->context(), nullptr);
        screen.EditFurikomiDate->setText(QStringLiteral("abc"));
        screen.btnNext->click();
        QCOMPARE(screen.EditFurikomiDate->text(), era(QDate::currentDate().addDays(1)));
        screen.EditFurikomiDate->setText(QStringLiteral("abc"));
        screen.btnPrev->click();
        QCOMPARE(screen.EditFurikomiDate->text(), era(QDate::currentDate().addDays(-1)));
        screen.EditFurikomiDate->setText(QStringLiteral("abc"));
        screen.btnToday->click();
        QCOMPARE(screen.EditFurikomiDate->text(), era(QDate::currentDate()));
        // An era text of an earlier era reads back too.
        screen.EditFurikomiDate->setText(QStringLiteral("昭和64年01月07日"));
        screen.btnNext->click();
        QCOMPARE(screen.EditFurikomiDate->text(), QStringLiteral("平成01年01月08日"));
        // Today's era is 令和; its texts read, and the day after 平成31年04月30日 is 令和.
        screen.btnToday->click();
        QVERIFY(screen.EditFurikomiDate->text().startsWith(QStringLiteral("令和")));
        screen.EditFurikomiDate->setText(QStringLiteral("平成31年04月30日"));
        screen.btnNext->click();
        QCOMPARE(screen.EditFurikomiDate->text(), QStringLiteral("令和01年05月01日"));
        for (const char *typed : {"令和8年1月15日", "R8.1.15", "R08/01/15", "H38/1/15"}) {
            screen.EditFurikomiDate->setText(QString::fromUtf8(typed));
            screen.btnNext->click();
            QCOMPARE(screen.EditFurikomiDate->text(), QStringLiteral("令和08年01月16日"));
        }

        screen.EditFurikomiDate->setText(QStringLiteral("2008/02/30"));
        screen.btnImport->click();
        QCOMPARE(ctx->boxes.last().text, std::string("振込依頼日を正しく入力してください。"));
        QCOMPARE(ctx->boxes.last().icon, MessageIcon::Information);
        QCOMPARE(ctx->files.calls().size(), size_t(0));
    }

    void facilityFileNameWithBlanksAroundOffersOnlyItsFiles()
    {
        dm->ADOConFurikomi.exec("UPDATE M_施設 SET 総合振込データファイル名 = ' AB ' WHERE 施設コード = 4");
        TfrmImport screen(ctx->context(), nullptr);
        screen.show();
        screen.lstShisetu->setCurrentRow(1);
        QCOMPARE(screen.currentFacility(), std::optional<int>(4));
        screen.EditFurikomiDate->setText(QStringLiteral("2008/1/15"));
        screen.btnImport->click(); // the dialog is cancelled
        QCOMPARE(ctx->files.calls().back().filter, QStringLiteral("振込データ(AB*.txt)|AB*.txt"));
        screen.lstShisetu->setCurrentRow(0);
        screen.btnImport->click();
        QCOMPARE(ctx->files.calls().back().filter, QStringLiteral("振込データ(FB*.txt)|FB*.txt"));
    }

    void noFacilityRegisteredSaysSo()
    {
        dm->ADOConFurikomi.exec("DELETE FROM M_施設");
        TfrmImport screen(ctx->context(), nullptr);
        screen.show();
        screen.btnImport->click();
        QVERIFY(ctx->boxes.last().text.find("施設が登録されていません") != std::string::npos);
        QCOMPARE(ctx->files.calls().size(), size_t(0));
    }

    void historyRowWithoutTrailerCanBeDeleted()
    {
        // An earlier version stored files without trailer; the import refuses them now.
        testdata::writeFile(path("FBx.txt").toStdString(), testdata::header() + testdata::data());
        TfrmImport screen(ctx->context(), nullptr);
        screen.show();
        screen.EditFurikomiDate->setText(QStringLiteral("2008/01/15"));
        ctx->files.answer(path("FBx.txt"));
        screen.btnImport->click();
        QCOMPARE(screen.GridList->lineCount(), 0);
        QVERIFY(ctx->boxes.last().text.find("トレーラレコードとエンドレコードがありません。") != std::string::npos);
        ctx->boxes.clear();
        dm->ADOConFurikomi.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード, 委託者コード) "
                                "VALUES (20080115, 3, '0000012345')");
        screen.lstShisetuClick();
        QCOMPARE(screen.GridList->lineCount(), 1);
        QCOMPARE(screen.GridList->cellText(0, 1), QString());
        QVERIFY(screen.GridList->setCurrentLine(0));
        ctx->boxes.answer(IdYes);
        screen.btnDelete->click();
        QCOMPARE(ctx->boxes.shown().at(0).text, std::string("第三施設\n\r2008/01/15を削除してもよろしいですか？"));
        QCOMPARE(rowsIn("T_ヘッダレコード"), 0);
    }

    void historyListsEveryImportedDate()
    {
        for (const char *mmdd : {"0115", "0125"}) {
            const QString name = QStringLiteral("FB%1.txt").arg(QString::fromLatin1(mmdd));
            testdata::writeFile(path(name).toStdString(), transferFile(mmdd, 3));
        }
        TfrmImport screen(ctx->context(), nullptr);
        screen.resize(1000, 640);
        screen.show();
        for (const char *date : {"2008/01/15", "2008/01/25"}) {
            screen.EditFurikomiDate->setText(QString::fromLatin1(date));
            ctx->files.answer(path(QStringLiteral("FB%1.txt").arg(QString::fromLatin1(date).mid(5).remove('/'))));
            screen.btnImport->click();
        }
        QCOMPARE(screen.GridList->lineCount(), 2);
    }
};

QTEST_MAIN(ImportScreenTest)
#include "frmimport_test.moc"
