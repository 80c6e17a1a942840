// The print screen and the file creation dialog as a clerk drives them, every
// dialog scripted: the month's road from two facilities' imports to the
// bank's file.
#include "core/datamodule.h"
#include "core/inifile.h"
#include "core/schema.h"
#include "import/importengine.h"
#include "output/filehistory.h"
#include "output/frmfurikomicreate.h"
#include "output/frmfurikomihistory.h"
#include "output/frmfurikomiprint.h"
#include "support/recordingui.h"
#include "support/scriptedscreencontext.h"
#include "support/testdatabase.h"
#include "support/zenginfile.h"
#include "widgets/ellipsisedit.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/stripedgrid.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace pelanova;

namespace {

constexpr int kDate = 20080115;

// Names entirely in the Zengin set, so that the check finds nothing.
testdata::DataSpec to(const std::string &account, const std::string &amount)
{
    testdata::DataSpec d;
    d.account = account;
    d.amount = amount;
    d.branchName = "          \xBC\xDD\xBC\xDE\xD4"; // ｼﾝｼﾞﾔ
    return d;
}

std::string file(const std::vector<testdata::DataSpec> &lines, const std::string &mmdd = "0115")
{
    testdata::HeaderSpec h;
    h.consignorName = std::string(31, ' ') + "\xB6)\xC3\xBD\xC4 \xBC\xDE\xD1"; // ｶ)ﾃｽﾄ ｼﾞﾑ
    h.mmdd = mmdd;
    std::string bytes = testdata::header(h);
    long long total = 0;
    for (const auto &d : lines) {
        bytes += testdata::data(d);
        total += std::stoll(d.amount);
    }
    char count[7], sum[13];
    std::snprintf(count, sizeof count, "%06zu", lines.size());
    std::snprintf(sum, sizeof sum, "%012lld", total);
    return bytes + testdata::trailer(count, sum) + testdata::end();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class FurikomiPrintTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<TDM1> dm;
    std::unique_ptr<test::ScriptedScreenContext> ctx;

    QString path(const QString &name) const { return dir.filePath(name); }

    void import(int facility, int date, const std::string &bytes)
    {
        const std::string p = path(QStringLiteral("in.txt")).toStdString();
        testdata::writeFile(p, bytes);
        test::ScriptedMessageBoxes boxes;
        testdata::RecordingProgress progress;
        ImportEngine engine(dm->ADOConFurikomi, nullptr, boxes, progress);
        QCOMPARE(int(engine.ImportTransferFile(p, facility, date, 20080110)), int(ImportEngine::Outcome::Stored));
    }

    std::unique_ptr<TfrmFurikomiPrint> open()
    {
        auto screen = std::make_unique<TfrmFurikomiPrint>(ctx->context(), nullptr);
        screen->resize(1000, 600);
        screen->show();
        return screen;
    }

private slots:
    void init()
    {
        QFile::remove(path(QStringLiteral("FBDB.db")));
        QFile::remove(path(QStringLiteral("pelanova.ini")));
        const std::string db = test::ownDatabaseLocation(path(QStringLiteral("FBDB.db")).toStdString());
        {
            sql::Database created;
            created.open(db, sql::Database::Mode::Create);
            schema::createOwnDatabase(created);
            created.exec("INSERT INTO M_施設 (施設コード, 施設名) VALUES (1, '第一施設'), (2, '第二施設')");
        }
        dm = std::make_unique<TDM1>(path(QStringLiteral("pelanova.ini")).toStdString(), db, nullptr);
        ctx = std::make_unique<test::ScriptedScreenContext>(*dm);
    }

    void cleanup()
    {
        ctx.reset();
        dm.reset();
    }

    void selectionsFollowTheClerksChoices()
    {
        import(1, 20080110, file({to("1111111", "0000005000")}, "0110"));
        import(1, kDate, file({to("1111111", "0000005000"), to("2222222", "0000050000")}));
        import(2, kDate, file({to("1111111", "0000030000")}));
        dm->ADOConFurikomi.exec("INSERT INTO M_銀行 (委託者コード, 委託者名) VALUES ('0000099999', 'ﾍﾞﾂ')");
        auto s = open();

        QCOMPARE(s->windowTitle(), QStringLiteral("総合振込依頼書印刷"));
        QCOMPARE(s->cmbFurikomiDate->currentKey(), QStringLiteral("20080115"));
        QCOMPARE(*s->cmbFurikomiDate->shownText(0), QStringLiteral("2008年1月15日"));
        QCOMPARE(s->cmbItakusya->currentKey(), QStringLiteral("0000012345"));
        QCOMPARE(s->cmbBumon->count(), 3);
        QCOMPARE(*s->cmbBumon->shownText(0), QStringLiteral("全施設集計"));
        QCOMPARE(*s->cmbBumon->shownText(2), QStringLiteral("第二施設"));
        QVERIFY(s->btnFurikomiCreate->isEnabled());
        // Merged: 1111111 with 35,000 yen (630 on the consignor), then 2222222.
        QCOMPARE(s->GridList->lineCount(), 2);
        QCOMPARE(s->GridList->cellText(0, 0), QStringLiteral("0005-123"));
        QCOMPARE(s->GridList->cellText(0, 5), QStringLiteral("35,000"));
        QCOMPARE(s->GridList->cellText(0, 6), QStringLiteral("630"));
        QCOMPARE(s->GridList->cellText(0, 7), QString());
        QCOMPARE(s->pnlKensu->text(), QStringLiteral("2 "));
        QCOMPARE(s->pnlKingaku->text(), QStringLiteral("85,000 "));

        s->cmbBumon->setCurrentIndex(2);
        s->cmbBumonClick();
        QVERIFY(!s->btnFurikomiCreate->isEnabled());
        QCOMPARE(s->GridList->lineCount(), 1);
        QCOMPARE(s->GridList->cellText(0, 5), QStringLiteral("30,000"));

        // Another consignor keeps the date and the facility (and its list).
        s->cmbItakusya->setCurrentIndex(1);
        s->cmbItakusyaClick();
        QCOMPARE(s->cmbFurikomiDate->currentKey(), QStringLiteral("20080115"));
        QCOMPARE(s->cmbBumon->currentIndex(), 2);
        QCOMPARE(s->GridList->lineCount(), 0);
        QCOMPARE(s->pnlKensu->text(), QStringLiteral("0 "));
        // The empty grid says why.
        QCOMPARE(s->GridList->emptyText(), QStringLiteral("この施設の振込データはありません。"));
        s->cmbItakusya->setCurrentIndex(0);
        s->cmbItakusyaClick();

        QVERIFY(s->GridList->emptyText().isEmpty());
        s->cmbBumon->setCurrentIndex(0);
        s->cmbBumonClick();
        QVERIFY(s->btnFurikomiCreate->isEnabled());
        s->cmbBumon->setCurrentIndex(1);
        s->cmbBumonClick();

        // Another date goes back to all facilities.
        s->cmbFurikomiDate->setCurrentIndex(1);
        s->cmbFurikomiDateClick();
        QCOMPARE(s->cmbBumon->currentIndex(), 0);
        QCOMPARE(s->cmbBumon->count(), 2);
        QVERIFY(s->btnFurikomiCreate->isEnabled());
        QCOMPARE(s->GridList->lineCount(), 1);
        QVERIFY(QString::fromStdString(s->statement()).contains(QStringLiteral("20080110")));

        // The request form gets the same selection; a second press reuses its window.
        s->btnPrint->click();
        QPointer<TBaseLRep> request = s->requestReport();
        QVERIFY(request);
        QCOMPARE(request->pageDisplayText(), QStringLiteral("1/1"));
        s->btnPrint->click();
        QCOMPARE(s->requestReport(), request.data());
        s->btnPrintTesuuryou->click();
        QVERIFY(s->feeReport());
        QCOMPARE(ctx->boxes.count(), size_t(0));
    }

    void aMonthOfLinesShowsEveryLineWithItsFeeOnTheSideThatBearsIt()
    {
        std::vector<testdata::DataSpec> lines;
        for (int i = 0; i < 36; ++i) {
            char account[8], amount[11];
            std::snprintf(account, sizeof account, "%07d", 1000 + i);
            std::snprintf(amount, sizeof amount, "%010d", 8000 + i * 1500);
            lines.push_back(to(account, amount));
        }
        import(1, kDate, file(lines));
        dm->ADOConFurikomi.exec("UPDATE M_受取人 SET 手数料区分 = 1, 手数料金額 = 20000, 銀行名漢字 = 'みずなみ銀行', "
                                "支店名漢字 = '新宿支店' WHERE CAST(口座番号 AS INTEGER) % 3 = 0");
        auto s = open();
        s->resize(900, 760);
        QCOMPARE(s->GridList->lineCount(), 36);
        QVERIFY(s->GridList->setCurrentLine(2));
        QCOMPARE(s->GridList->cellText(2, 1), QStringLiteral("みずなみ銀行"));
        QCOMPARE(s->GridList->cellText(2, 2), QStringLiteral("新宿支店"));
        // 11,000 yen is below the recipient's 20,000: the consignor bears 420.
        QCOMPARE(s->GridList->cellText(2, 5), QStringLiteral("11,000"));
        QCOMPARE(s->GridList->cellText(2, 6), QStringLiteral("420"));
        QCOMPARE(s->GridList->cellText(2, 7), QString());
        // 20,000 yen reaches it: the recipient bears 420.
        QCOMPARE(s->GridList->cellText(8, 5), QStringLiteral("19,580"));
        QCOMPARE(s->GridList->cellText(8, 6), QString());
        QCOMPARE(s->GridList->cellText(8, 7), QStringLiteral("420"));
        QCOMPARE(s->pnlKensu->text(), QStringLiteral("36 "));
        QCOMPARE(s->pnlKingaku->text(), QStringLiteral("1,233,000 "));
        // Beside the delivered amounts, the fees the recipients bear and what is
        // paid after them, the total the request form prints.
        const output::FurikomiList list = output::LoadFurikomiList(dm->ADOConFurikomi, kDate, "0000012345", -1);
        int64_t borne = 0;
        for (const output::TFurikomiLine &line : list.lines)
            borne += line.recipientFee.empty() ? 0 : std::stoll(QString::fromStdString(line.recipientFee).remove(',').toStdString());
        QVERIFY(borne > 0);
        QCOMPARE(s->pnlAitesaki->text(), QString::fromStdString(output::totalSumText(borne)));
        QCOMPARE(s->pnlShiharai->text(), QString::fromStdString(output::totalSumText(1'233'000 - borne)));
        QCOMPARE(list.paid, 1'233'000 - borne);
    }

    void emptyDatabaseShowsNothingAndCreatesNothing()
    {
        auto s = open();
        QCOMPARE(s->cmbFurikomiDate->count(), 0);
        QCOMPARE(s->GridList->lineCount(), 0);
        QVERIFY(s->pnlKensu->text().isEmpty());
        bool dialogShown = false;
        s->execDialog = [&](QDialog &) {
            dialogShown = true;
            return 0;
        };
        s->btnFurikomiCreate->click();
        QVERIFY(!dialogShown);
        s->btnPrint->click(); // no selection: nothing, and no message
        QCOMPARE(ctx->boxes.count(), size_t(0));
    }

    void fileCreationWritesTheMergedFileAsTheCommandLineDoes()
    {
        import(1, kDate, file({to("1111111", "0000005000"), to("2222222", "0000050000")}));
        import(2, kDate, file({to("1111111", "0000030000")}));
        // 2222222 bears its fee from 30,000 yen on: 50,000 goes out as 49,370.
        dm->ADOConFurikomi.exec("UPDATE M_受取人 SET 手数料区分 = 1, 手数料金額 = 30000 WHERE 口座番号 = '2222222'");
        auto s = open();

        const QString first = path(QStringLiteral("bank"));
        const QString second = path(QStringLiteral("second.txt"));
        QStringList weekday;
        s->execDialog = [&](QDialog &d) {
            auto &dialog = static_cast<TfrmFurikomiCreate &>(d);
            weekday << dialog.lblDate->text() << dialog.lblWeek->text()
                    << dialog.lblWeek->palette().color(QPalette::WindowText).name()
                    << dialog.lblItakusyaCode->text() << dialog.lblBank->text() << dialog.lblYokin->text();
            dialog.edtFileName->setText(first);
            dialog.btnCreate->click();
            // The day made, the second file is asked for.
            ctx->boxes.answer(IdYes);
            dialog.edtFileName->setText(second);
            dialog.btnCreate->click();
            return 0;
        };
        s->btnFurikomiCreate->click();
        QCOMPARE(weekday, (QStringList{QStringLiteral("2008年1月15日"), QStringLiteral("（火）"),
                                       QStringLiteral("#000000"), QStringLiteral("0000012345"),
                                       QStringLiteral("1-1"), QStringLiteral("普通")}));
        QCOMPARE(ctx->boxes.count(), size_t(3));
        QVERIFY(QString::fromStdString(ctx->boxes.shown()[1].text).contains(QStringLiteral("に作成済みです（2件 84,370円）")));
        QCOMPARE(QString::fromStdString(ctx->boxes.last().text), QStringLiteral("振込データの作成が完了しました。"));
        QCOMPARE(QString::fromStdString(ctx->boxes.last().title), QStringLiteral("総合振込データ作成"));

        const QByteArray written = readAll(first + QStringLiteral(".TXT"));
        QCOMPARE(written.size(), 120 * 5);
        QCOMPARE(written.mid(120 + 80, 10), QByteArray("0000035000"));
        QCOMPARE(written.mid(240 + 80, 10), QByteArray("0000049370"));
        QCOMPARE(written.mid(360 + 1, 18), QByteArray("000002000000084370"));
        QCOMPARE(written.mid(54, 4), QByteArray("0115"));
        QCOMPARE(readAll(path(QStringLiteral("second.TXT"))), written);
        const TSettings settings = dm->settings({settings::FileName});
        QCOMPARE(QString::fromStdString(settings.ReadString("FileName")), path(QStringLiteral("second.TXT")));

        // The command line writes the same bytes.
        QProcess cli;
        cli.start(QStringLiteral(PELANOVA_CLI),
                  {QStringLiteral("--db"), QString::fromStdString(dm->ownDatabasePath()), QStringLiteral("--ini"),
                   path(QStringLiteral("pelanova.ini")), QStringLiteral("write-file"), QStringLiteral("--date"),
                   QStringLiteral("20080115"), QStringLiteral("--consignor"), QStringLiteral("0000012345"),
                   QStringLiteral("--again"), path(QStringLiteral("cli.TXT"))});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(readAll(path(QStringLiteral("cli.TXT"))), written);
    }

    void aLineTheWriterRefusesWritesNothingAndKeepsTheName()
    {
        // 300 yen less a fee of 420 that the recipient bears would go out negative.
        import(1, kDate, file({to("1111111", "0000000300")}));
        dm->ADOConFurikomi.exec("UPDATE M_受取人 SET 手数料区分 = 1, 手数料金額 = 0");
        auto s = open();
        s->execDialog = [&](QDialog &d) {
            auto &dialog = static_cast<TfrmFurikomiCreate &>(d);
            dialog.edtFileName->setText(path(QStringLiteral("refused")));
            dialog.btnCreate->click();
            return 0;
        };
        s->btnFurikomiCreate->click();
        QCOMPARE(ctx->boxes.count(), size_t(1));
        QVERIFY(QString::fromStdString(ctx->boxes.last().text).contains(QStringLiteral("マイナス")));
        QCOMPARE(int(ctx->boxes.last().icon), int(MessageIcon::Error));
        QVERIFY(!QFile::exists(path(QStringLiteral("refused.TXT"))));
        QVERIFY(dm->settings({settings::FileName}).ReadString("FileName").empty());
    }

    void aDatabaseErrorDuringALoadIsShownAndTheGridStaysUsable()
    {
        import(1, kDate, file({to("1111111", "0000005000")}));
        auto s = open();
        QCOMPARE(s->GridList->lineCount(), 1);
        dm->ADOConFurikomi.exec("DROP TABLE T_データレコード");
        // As a choice in the list runs it: through the screen's guard.
        emit s->cmbBumon->activated(0);
        QCOMPARE(ctx->boxes.count(), size_t(1));
        QCOMPARE(QString::fromStdString(ctx->boxes.last().title), QString::fromUtf8(kAppTitle));
        QVERIFY(s->GridList->updatesEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(s->GridList->lineCount(), 0);
    }

    void fileCreationAsksBeforeOverwritingAndRetriesAFailedCreate()
    {
        import(1, kDate, file({to("1111111", "0000005000")}));
        auto s = open();
        const QString target = path(QStringLiteral("keep.TXT"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("earlier");
        f.close();
        const QString missing = path(QStringLiteral("no/such/folder/x.txt"));
        QString chosen;
        s->execDialog = [&](QDialog &d) {
            auto &dialog = static_cast<TfrmFurikomiCreate &>(d);
            ctx->boxes.answer(IdNo);
            dialog.edtFileName->setText(path(QStringLiteral("keep.txt")));
            dialog.btnCreate->click();
            // A folder that does not exist: 再試行 tries again, 中止 gives up.
            ctx->boxes.answer(IdRetry);
            ctx->boxes.answer(IdAbort);
            dialog.edtFileName->setText(missing);
            dialog.btnCreate->click();
            // The ellipsis: the chosen name gets the extension .TXT.
            ctx->files.answer(path(QStringLiteral("chosen.txt")));
            dialog.edtFileNameEllipsisClick();
            chosen = dialog.edtFileName->text();
            return 0;
        };
        s->btnFurikomiCreate->click();
        QCOMPARE(chosen, path(QStringLiteral("chosen.TXT")));
        QCOMPARE(readAll(target), QByteArray("earlier"));
        QCOMPARE(ctx->boxes.count(), size_t(3));
        QCOMPARE(QString::fromStdString(ctx->boxes.shown()[0].text),
                 QStringLiteral("すでにファイルが存在しています。上書きしますか？"));
        QCOMPARE(ctx->boxes.shown()[0].defaultButton, kDefaultButton2);
        QCOMPARE(int(ctx->boxes.shown()[1].buttons), int(MessageButtons::AbortRetryIgnore));
        QCOMPARE(int(ctx->boxes.shown()[1].icon), int(MessageIcon::None));
        QVERIFY(!QFile::exists(path(QStringLiteral("no"))));
        QCOMPARE(ctx->files.calls().back().filter, QStringLiteral("振込データ(*.txt)|*.TXT"));
        const TSettings settings = dm->settings({settings::FileName});
        QVERIFY(settings.ReadString("FileName").empty());
    }

    // Creates the file once in the dialog opened from the print screen.
    void createOnce(const QString &name)
    {
        auto s = open();
        s->execDialog = [&](QDialog &d) {
            auto &dialog = static_cast<TfrmFurikomiCreate &>(d);
            dialog.edtFileName->setText(path(name));
            dialog.btnCreate->click();
            return 0;
        };
        s->btnFurikomiCreate->click();
    }

    void whatTheBankWouldRefuseIsListedAndNothingIsWritten()
    {
        // The import refuses such a type now; an earlier version stored it.
        import(1, kDate, file({to("1111111", "0000005000"), to("2222222", "0000020000")}));
        dm->ADOConFurikomi.exec("UPDATE T_データレコード SET 預金項目 = 3 WHERE 口座番号 = '2222222'");
        createOnce(QStringLiteral("refused"));
        QCOMPARE(ctx->boxes.count(), size_t(1));
        const auto &box = ctx->boxes.last();
        QCOMPARE(QString::fromStdString(box.text),
                 QStringLiteral("銀行に受け付けられないデータがあるため、ファイルは作成していません。\n\r"
                                "［エラー］レコード3 預金項目：預金項目「3」は預金種目（1 普通、2 当座、4 貯蓄、9 その他）ではありません。"));
        QCOMPARE(int(box.icon), int(MessageIcon::Error));
        QCOMPARE(int(box.buttons), int(MessageButtons::Ok));
        QCOMPARE(QString::fromStdString(box.title), QStringLiteral("総合振込データ作成"));
        QVERIFY(!QFile::exists(path(QStringLiteral("refused.TXT"))));
        QVERIFY(dm->settings({settings::FileName}).ReadString("FileName").empty());
    }

    void warningsAreListedAndTheFileIsWrittenOnlyWhenTheClerkSaysYes()
    {
        testdata::DataSpec small = to("1111111", "0000005000");
        small.name = "\xBC\xAE\xB3\xBC\xDE" + std::string(25, ' '); // ｼｮｳｼﾞ
        import(1, 20260112, file({small}, "0112"));                     // 成人の日
        const QString question = QStringLiteral(
            "警告があります。作成しますか？\n\r"
            "\n\r［警告］レコード1 引落日：振込指定日 2026年1月12日（月）は成人の日で、銀行の休業日です。\n\r"
            "\n\r受取人名「ｼｮｳｼﾞ」を「ｼﾖｳｼﾞ」として作成します。");

        createOnce(QStringLiteral("warned")); // いいえ is the default
        QCOMPARE(ctx->boxes.count(), size_t(1));
        QCOMPARE(QString::fromStdString(ctx->boxes.last().text), question);
        QCOMPARE(int(ctx->boxes.last().buttons), int(MessageButtons::YesNo));
        QCOMPARE(ctx->boxes.last().defaultButton, kDefaultButton2);
        QVERIFY(!QFile::exists(path(QStringLiteral("warned.TXT"))));

        ctx->boxes.answer(IdYes);
        createOnce(QStringLiteral("warned"));
        QCOMPARE(ctx->boxes.count(), size_t(3));
        QCOMPARE(QString::fromStdString(ctx->boxes.last().text), QStringLiteral("振込データの作成が完了しました。"));
        const QByteArray written = readAll(path(QStringLiteral("warned.TXT")));
        QCOMPARE(written.size(), 120 * 4);
        QCOMPARE(written.mid(120 + 50, 5), QByteArray("\xBC\xD6\xB3\xBC\xDE")); // in the bank's characters
        QCOMPARE(QString::fromStdString(dm->settings({settings::FileName}).ReadString("FileName")),
                 path(QStringLiteral("warned.TXT")));
    }

    void theDaysFileStateShowsAndMakingItAgainIsAskedFirst()
    {
        import(1, kDate, file({to("1111111", "0000005000"), to("2222222", "0000050000")}));
        auto s = open();
        QCOMPARE(s->lblFileState->text(), QStringLiteral("未作成"));

        createOnce(QStringLiteral("made"));
        QCOMPARE(ctx->boxes.last().text, std::string("振込データの作成が完了しました。"));
        const std::optional<output::CreatedFile> made = output::lastCreatedFile(dm->ADOConFurikomi, "0000012345", kDate);
        QVERIFY(made);
        QCOMPARE(made->path, path(QStringLiteral("made.TXT")).toStdString());
        QCOMPARE(made->records, 2);
        // The screen made the file itself: its state follows at once.
        auto again = open();
        QCOMPARE(again->lblFileState->text(),
                 QStringLiteral("作成済み（%1）").arg(QString::fromStdString(output::createdMinute(*made))));
        QCOMPARE(again->lblFileState->palette().color(QPalette::WindowText), QColor(Qt::black));

        // A second making asks first; いいえ is the default and writes nothing.
        ctx->boxes.clear();
        createOnce(QStringLiteral("twice"));
        QCOMPARE(ctx->boxes.count(), size_t(1));
        QCOMPARE(ctx->boxes.last().text, output::createdAgainQuestion(*made));
        QCOMPARE(ctx->boxes.last().defaultButton, kDefaultButton2);
        QCOMPARE(int(ctx->boxes.last().buttons), int(MessageButtons::YesNo));
        QVERIFY(!QFile::exists(path(QStringLiteral("twice.TXT"))));
        QCOMPARE(output::createdFiles(dm->ADOConFurikomi).size(), size_t(1));

        // The lines change after the making: in red.
        import(2, kDate, file({to("3333333", "0000001000")}));
        auto changed = open();
        QCOMPARE(changed->lblFileState->text(),
                 QStringLiteral("作成後に変更あり（%1）").arg(QString::fromStdString(output::createdMinute(*made))));
        QCOMPARE(changed->lblFileState->palette().color(QPalette::WindowText), QColor(Qt::red));
        // One facility's view tells the same of the day.
        changed->cmbBumon->setCurrentIndex(1);
        changed->cmbBumonClick();
        QVERIFY(changed->lblFileState->text().startsWith(QStringLiteral("作成後に変更あり")));

        // The history lists the consignor's file with its state.
        QStringList cells;
        int lines = -1;
        QString consignor;
        changed->execDialog = [&](QDialog &d) {
            if (auto *history = qobject_cast<TfrmFurikomiHistory *>(&d)) {
                lines = history->GridList->lineCount();
                for (int column = 0; column < 7; ++column)
                    cells << history->GridList->cellText(0, column);
                consignor = history->lblItakusya->text();
            }
            return 0;
        };
        changed->btnHistory->click();
        QCOMPARE(lines, 1);
        QCOMPARE(cells.at(0), QStringLiteral("2008/01/15"));
        QCOMPARE(cells.at(3), QStringLiteral("2"));
        QCOMPARE(cells.at(4), QStringLiteral("55,000"));
        QCOMPARE(cells.at(5), path(QStringLiteral("made.TXT")));
        QCOMPARE(cells.at(6), QStringLiteral("変更あり"));
        QVERIFY(consignor.contains(QStringLiteral("0000012345")));
    }

    void aNationalHolidayIsMarkedAfterTheWeekday()
    {
        TfrmFurikomiCreate dialog(ctx->context(), nullptr);
        dialog.execDialog = [](QDialog &) { return 0; };
        dialog.ShowForConsignor("0000012345", 20260112, std::string());
        QCOMPARE(dialog.lblWeek->text(), QStringLiteral("（月）"));
        QCOMPARE(dialog.lblSyuku->text(), QStringLiteral("（祝）"));
        QCOMPARE(dialog.lblSyuku->palette().color(QPalette::WindowText), QColor(Qt::red));
        dialog.ShowForConsignor("0000012345", 20190430, std::string()); // 国民の休日
        QCOMPARE(dialog.lblSyuku->text(), QStringLiteral("（祝）"));
        dialog.ShowForConsignor("0000012345", 20260111, std::string()); // a Sunday only
        QCOMPARE(dialog.lblWeek->text(), QStringLiteral("（日）"));
        QVERIFY(dialog.lblSyuku->text().isEmpty());
    }
};

QObject *createFurikomiPrintTest() { return new FurikomiPrintTest; }

#include "frmfurikomiprint_test.moc"
