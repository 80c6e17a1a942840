// The bank master built from the public bank code list, as the screens show
// it: kanji names in the fee master, the settings screen's choice of file.

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "core/bankmaster.h"
#include "core/inifile.h"
#include "core/records.h"
#include "import/importengine.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formkakusyu.h"
#include "screenfixture.h"
#include "widgets/stripedgrid.h"

using namespace pelanova;

class BankMasterScreensTest : public QObject
{
    Q_OBJECT

private:
    std::string builtPath() const { return f->folder().file("銀行マスタ.db"); }

    // Imports one file: a consignor at みずほ 本店 paying three recipients at
    // branches whose names use kanji of JIS level 2 and one without a Shift-JIS form.
    bool importSample()
    {
        zengin::ConsignorFields consignor{"0000012345", "ﾃｽﾄｼﾖｳｼﾞ", 1, "ﾐｽﾞﾎ", 100, "ﾎﾝﾃﾝ", 1, "1234567"};
        const zengin::TransferFields transfers[] = {
            {1170, "ﾓﾘﾉﾐﾔｺｼﾝｷﾝ", 22, "ｼｵｶﾞﾏ", 1, "0000001", "ｱｵﾊﾞ ｼﾖｳﾃﾝ"},
            {1933, "ｷﾕｳｼﾕｳﾋｾﾞﾝｼﾝｷﾝ", 44, "ｲｻﾊﾔ", 1, "0000002", "ｲｻﾊﾔ ｺｳｷﾞﾖｳ"},
            {138, "ﾖｺﾊﾏ", 999, "ﾖｼﾉﾁﾖｳ", 2, "0000003", "ﾖｼﾉ ﾊﾅｺ"},
        };
        std::string file = zengin::buildHeader(consignor, 20261210);
        for (const auto &t : transfers)
            file += zengin::buildData(t, 25000);
        file += zengin::buildTrailer(3, 75000) + zengin::buildEnd();
        test::writeBytes(f->folder().file("FB1210.txt"), file);
        SilentProgress progress;
        ImportEngine engine(f->dm().ADOConFurikomi, &f->dm().ADOConBank, f->boxes, progress);
        return engine.ImportTransferFile(f->folder().file("FB1210.txt"), 1, 20261210, 20261209)
               == ImportEngine::Outcome::Stored;
    }

    std::unique_ptr<test::ScreenFixture> f;

private slots:
    // The built master where the start-up looks for it, then the data module.
    void init()
    {
        f = std::make_unique<test::ScreenFixture>();
        bankmaster::build(std::string(PELANOVA_TEST_DATA) + "/zengin-code", builtPath());
        f->context();
    }

    void cleanup() { f.reset(); }

    void feeMasterShowsTheKanjiNamesOfTheBuiltMaster()
    {
        QVERIFY(f->dm().ADOConBank.isOpen());
        QVERIFY(importSample());
        TfrmFurikomiTesuuryou s(f->context(), nullptr);
        s.resize(1000, 620);
        s.show();
        QCOMPARE(s.TabBank->lblBankName->text(), "みずほ");
        QCOMPARE(s.TabBank->lblSitenName->text(), "本店");
        QCOMPARE(s.TabFurikomi->GridList->lineCount(), 3);
        // In the list's order: by the stored names, which the file writer right-aligned.
        const std::pair<QString, QString> expected[] = {
            {"横浜", "𠮷野町"}, {"杜の都信金", "塩竈営業部"}, {"九州ひぜん信金", "諫早"}};
        for (int line = 0; line < 3; ++line) {
            QVERIFY(s.TabFurikomi->GridList->setCurrentLine(line));
            QCOMPARE(s.TabFurikomi->EditBankName->text(), expected[line].first);
            QCOMPARE(s.TabFurikomi->EditSitenName->text(), expected[line].second);
        }
        QVERIFY(f->boxes.empty());
    }

    void settingsShowTheRecordedMasterAndRefuseAnAccessFileWithoutTheTable()
    {
        // The start-up recorded the built master it found.
        QCOMPARE(IniFile(f->iniPath()).readString("DataFiles", "BankData", ""), builtPath());
        TfrmKakusyu s(f->context(), nullptr);
        QCOMPARE(s.EditBankData->text().toStdString(), builtPath());

        const char *sample = "/usr/share/doc/fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz";
        if (!std::filesystem::exists(sample))
            QSKIP("the Access sample of the Debian package fp-units-db is not installed "
                  "(scripts/install-deps.sh installs it)");
        const std::string mdb = f->folder().file("銀行マスタ.mdb");
        QCOMPARE(std::system(("gzip -dc '" + std::string(sample) + "' > '" + mdb + "'").c_str()), 0);
        s.EditBankData->setText(QString::fromStdString(mdb));
        s.closeScreen();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, "銀行マスタデータベースに接続できませんでした。");
        QVERIFY(!f->dm().ADOConBank.isOpen());
        QCOMPARE(IniFile(f->iniPath()).readString("DataFiles", "BankData", ""), builtPath());
    }
};

QObject *createBankMasterScreensTest() { return new BankMasterScreensTest; }

#include "bankmaster_screens_test.moc"
