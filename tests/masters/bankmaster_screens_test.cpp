// The bank master built from the public bank code list, as the screens show
// it: kanji names in the fee master, the settings screen's choice of file.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

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

namespace {

class BankMasterScreensTest : public ::testing::Test
{
protected:
    // The built master where the start-up looks for it, then the data module.
    void SetUp() override
    {
        bankmaster::build(std::string(PELANOVA_TEST_DATA) + "/zengin-code", builtPath());
        f.context();
    }

    std::string builtPath() const { return f.folder().file("銀行マスタ.db"); }

    // Imports one file: a consignor at みずほ 本店 paying three recipients at
    // branches whose names use kanji of JIS level 2 and one without a Shift-JIS form.
    void importSample()
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
        test::writeBytes(f.folder().file("FB1210.txt"), file);
        SilentProgress progress;
        ImportEngine engine(f.dm().ADOConFurikomi, &f.dm().ADOConBank, f.boxes, progress);
        ASSERT_EQ(engine.ImportTransferFile(f.folder().file("FB1210.txt"), 1, 20261210, 20261209),
                  ImportEngine::Outcome::Stored);
    }

    test::ScreenFixture f;
};

TEST_F(BankMasterScreensTest, FeeMasterShowsTheKanjiNamesOfTheBuiltMaster)
{
    ASSERT_TRUE(f.dm().ADOConBank.isOpen());
    importSample();
    TfrmFurikomiTesuuryou s(f.context(), nullptr);
    s.resize(1000, 620);
    s.show();
    EXPECT_EQ(s.lblBankName->text(), "みずほ");
    EXPECT_EQ(s.lblSitenName->text(), "本店");
    ASSERT_EQ(s.GridList->lineCount(), 3);
    // In the list's order: by the stored names, which the file writer right-aligned.
    const std::pair<QString, QString> expected[] = {
        {"横浜", "𠮷野町"}, {"杜の都信金", "塩竈営業部"}, {"九州ひぜん信金", "諫早"}};
    for (int line = 0; line < 3; ++line) {
        ASSERT_TRUE(s.GridList->setCurrentLine(line));
        EXPECT_EQ(s.EditBankName->text(), expected[line].first);
        EXPECT_EQ(s.EditSitenName->text(), expected[line].second);
    }
    s.GridList->setCurrentLine(1);
    test::renderIfAsked(s, "furikomitesuuryou_kanji");
    EXPECT_TRUE(f.boxes.empty());
}

TEST_F(BankMasterScreensTest, SettingsShowTheRecordedMasterAndRefuseAnAccessFileWithoutTheTable)
{
    // The start-up recorded the built master it found.
    EXPECT_EQ(IniFile(f.iniPath()).readString("DataFiles", "BankData", ""), builtPath());
    TfrmKakusyu s(f.context(), nullptr);
    EXPECT_EQ(s.EditBankData->text().toStdString(), builtPath());

    const char *sample = "/usr/share/doc/fp-units-db/3.2.2/examples/odbc/testodbc.mdb.gz";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << sample << " is not installed (Debian package fp-units-db; scripts/install-deps.sh installs it)";
    const std::string mdb = f.folder().file("銀行マスタ.mdb");
    ASSERT_EQ(std::system(("gzip -dc '" + std::string(sample) + "' > '" + mdb + "'").c_str()), 0);
    s.EditBankData->setText(QString::fromStdString(mdb));
    s.closeScreen();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, "銀行マスタデータベースに接続できませんでした。");
    EXPECT_FALSE(f.dm().ADOConBank.isOpen());
    EXPECT_EQ(IniFile(f.iniPath()).readString("DataFiles", "BankData", ""), builtPath());
}

} // namespace
