// The demo: its sample files are the generator's, and its database opens
// every screen with data (offscreen).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <filesystem>

#include "app/screens.h"
#include "core/bankmaster.h"
#include "core/datamodule.h"
#include "core/records.h"
#include "core/schema.h"
#include "demo.h"
#include "import/frmimport.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formkakusyu.h"
#include "masters/formshisetumaster.h"
#include "output/frmfurikomiprint.h"
#include "shell/formbase.h"
#include "shell/formcarender.h"
#include "shell/formmain.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"
#include "widgets/filedialogs.h"
#include "widgets/gradientbutton.h"
#include "widgets/japanesefonts.h"
#include "widgets/keyedlists.h"
#include "widgets/stripedgrid.h"

using namespace pelanova;

namespace {

int64_t number(std::string_view record, int pos, int width)
{
    return zengin::parseNumber64(zengin::field(record, pos, width)).value_or(-1);
}

} // namespace

class DemoTest : public QObject
{
    Q_OBJECT

private slots:
    void sampleFilesAreTheGeneratorsAndValidTransferFiles();
    void everyScreenOpensWithData();
};

void DemoTest::sampleFilesAreTheGeneratorsAndValidTransferFiles()
{
    const auto files = demo::sampleFiles();
    QCOMPARE(files.size(), 3u);
    for (const demo::TransferFile &file : files) {
        QVERIFY2(test::readBytes(std::string(PELANOVA_SOURCE_DIR) + "/samples/" + file.name) == file.bytes,
                 qPrintable(QString::fromStdString("samples/" + file.name + " differs from the generator: "
                                                   "pelanova-cli sample-files samples")));
        QCOMPARE(file.bytes.size() % zengin::kRecordSize, 0u);
        const size_t records = file.bytes.size() / zengin::kRecordSize;
        const std::string_view all(file.bytes);
        int64_t total = 0;
        for (size_t i = 1; i + 2 < records; ++i) {
            const std::string_view data = all.substr(i * zengin::kRecordSize, zengin::kRecordSize);
            QCOMPARE(zengin::recordKind(data), zengin::Data);
            total += number(data, 81, 10);
        }
        const std::string_view trailer = all.substr((records - 2) * zengin::kRecordSize, zengin::kRecordSize);
        QCOMPARE(zengin::recordKind(all), zengin::Header);
        QCOMPARE(number(all, 55, 4), file.requestDate % 10000);
        QCOMPARE(number(trailer, 2, 6), static_cast<int64_t>(records - 3));
        QCOMPARE(number(trailer, 8, 12), total);
        QCOMPARE(zengin::recordKind(all.substr((records - 1) * zengin::kRecordSize)), zengin::End);
    }
}

void DemoTest::everyScreenOpensWithData()
{
    test::TempDir dir;
    const std::string exe = dir.file("pelanova");
    std::filesystem::create_directories(dir.path() / "data");
    {
        sql::Database db;
        db.open(TDM1::ownDatabaseFor(exe), sql::Database::Mode::Create);
        schema::createOwnDatabase(db);
    }
    {
        TDM1 dm(exe);
        bankmaster::build(std::string(PELANOVA_SOURCE_DIR) + "/tests/data/zengin-code", dm.builtBankMasterPath());
    }
    {
        TDM1 dm(exe);
        QVERIFY(dm.ADOConBank.isOpen());
        const demo::Summary summary = demo::fillDemoDatabase(dm);
        QCOMPARE(summary.imports, 12);
        QVERIFY(summary.transfers > 12 * 12);
        // Transfers to the same account, and recipients bearing the fee and not.
        sql::Statement st = dm.ADOConFurikomi.prepare(
            "SELECT (SELECT COUNT(*) FROM T_データレコード) - (SELECT COUNT(*) FROM M_受取人),\n"
            "(SELECT COUNT(*) FROM M_受取人 WHERE 手数料区分 = 1), (SELECT COUNT(*) FROM M_受取人 WHERE 手数料区分 = 0),\n"
            "(SELECT COUNT(*) FROM M_受取人 WHERE 支店名漢字 IS NULL)");
        QVERIFY(st.step());
        QVERIFY(st.int64(0) > 100);
        QVERIFY(st.int64(1) > 0);
        QVERIFY(st.int64(2) > 0);
        QCOMPARE(st.int64(3), 0); // every demo branch has its kanji name
    }

    test::ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    TfrmMain main(exe, {boxes, files, dates}, applicationScreens());
    QVERIFY(main.FormShow());
    main.resize(1024, 720);
    main.show();
    for (uint8_t id = ScreenImport; id <= ScreenKakusyu; ++id) {
        main.ShowScreen(id);
        QCoreApplication::processEvents();
        QPointer<HostedScreen> screen = main.hostedScreen();
        switch (id) {
        case ScreenImport: {
            auto *s = qobject_cast<TfrmImport *>(screen.data());
            QVERIFY(s);
            QCOMPARE(s->lstShisetu->count(), 3);
            QCOMPARE(s->GridList->lineCount(), 4); // the first facility's month
            break;
        }
        case ScreenFurikomiPrint: {
            auto *s = qobject_cast<TfrmFurikomiPrint *>(screen.data());
            QVERIFY(s);
            QCOMPARE(s->cmbItakusya->count(), 2);
            QCOMPARE(s->cmbFurikomiDate->count(), 4);
            QVERIFY(s->GridList->lineCount() > 5);
            QVERIFY(!s->pnlKingaku->text().isEmpty());
            break;
        }
        case ScreenShisetuMaster: {
            auto *s = qobject_cast<TfrmShisetuMaster *>(screen.data());
            QVERIFY(s);
            QCOMPARE(s->GridList->lineCount(), 3);
            break;
        }
        case ScreenFurikomiTesuuryou: {
            auto *s = qobject_cast<TfrmFurikomiTesuuryou *>(screen.data());
            QVERIFY(s);
            QCOMPARE(s->cmbItakusya->count(), 2);
            QCOMPARE(s->TabBank->lblBankName->text(), QStringLiteral("みずほ"));
            QVERIFY(s->TabFurikomi->GridList->lineCount() > 10);
            s->TabFurikomi->GridList->setCurrentLine(0);
            QVERIFY(!s->TabFurikomi->EditSitenName->text().isEmpty());
            break;
        }
        case ScreenKakusyu: {
            auto *s = qobject_cast<TfrmKakusyu *>(screen.data());
            QVERIFY(s);
            QCOMPARE(s->EditBankData->text().toStdString(), main.dm().builtBankMasterPath());
            break;
        }
        }
        auto *work = qobject_cast<TfrmBase *>(screen.data());
        QVERIFY(work);
        work->btnMenu->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!screen);
    }
    for (const auto &box : boxes.shown())
        qWarning("message: %s", box.text.c_str());
    QVERIFY(boxes.empty());
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installJapaneseFonts();
    DemoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "demo_test.moc"
