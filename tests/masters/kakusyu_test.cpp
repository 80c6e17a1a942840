#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

#include "core/inifile.h"
#include "masters/formkakusyu.h"
#include "screenfixture.h"
#include "widgets/keyedlists.h"
#include "widgets/numericedit.h"

using namespace pelanova;

namespace {

// The text a keyed drop-down list shows for its selected item.
QString shown(const KeyedComboBox *combo)
{
    return combo->shownText(combo->currentIndex()).value_or(QString());
}

class KakusyuTest : public ::testing::Test
{
protected:
    // A bank master the data module can open.
    std::string makeBankMaster(const std::string &name)
    {
        const std::string path = f.folder().file(name);
        sql::Database bank;
        bank.open(path, sql::Database::Mode::Create);
        schema::createBankMaster(bank);
        return path;
    }

    TfrmKakusyu &open()
    {
        screen = std::make_unique<TfrmKakusyu>(f.context(), nullptr);
        screen->resize(900, 500);
        return *screen;
    }

    std::string ini(const char *section, const char *key)
    {
        return IniFile(f.iniPath()).readString(section, key, "<none>");
    }

    test::ScreenFixture f;
    std::unique_ptr<TfrmKakusyu> screen;
};

TEST_F(KakusyuTest, ReadsTheSettingsOnOpeningAndHidesTheAccountingGroup)
{
    IniFile file(f.iniPath());
    file.writeString("Tesuuryou", "TesuuryouKubun", "1");
    file.writeString("Tesuuryou", "TesuuryouKingaku", "30000");
    file.writeString("DataFiles", "BankData", "/nowhere/銀行マスタ.mdb");
    file.writeString("DataFiles", "LedraData", "/nowhere/Ledra.mdb");
    TfrmKakusyu &s = open();
    EXPECT_TRUE(s.chkTesuuryou->isChecked());
    EXPECT_EQ(s.EditTesuuryou->text(), "30000");
    EXPECT_EQ(s.EditBankData->text(), "/nowhere/銀行マスタ.mdb");
    EXPECT_EQ(s.EditLedraData->text(), "/nowhere/Ledra.mdb");
    EXPECT_TRUE(s.grpLedra->isHidden());
    EXPECT_FALSE(s.grpBank->isHidden());
}

TEST_F(KakusyuTest, InvalidBankPathKeepsTheOldOneAndStillStoresTheFeeDefault)
{
    const std::string oldPath = makeBankMaster("銀行マスタ.mdb");
    IniFile(f.iniPath()).writeString("DataFiles", "BankData", oldPath);
    TfrmKakusyu &s = open();
    ASSERT_TRUE(f.dm().ADOConBank.isOpen());
    s.chkTesuuryou->setChecked(true);
    s.EditTesuuryou->setText("1200");
    s.EditBankData->setText(QString::fromStdString(f.folder().file("missing/銀行マスタ.mdb")));
    s.closeScreen();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, "銀行マスタデータベースに接続できませんでした。");
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Error);
    EXPECT_EQ(ini("DataFiles", "BankData"), oldPath);
    EXPECT_EQ(ini("Tesuuryou", "TesuuryouKubun"), "1");
    EXPECT_EQ(ini("Tesuuryou", "TesuuryouKingaku"), "1200");
    EXPECT_FALSE(f.dm().ADOConBank.isOpen());
}

TEST_F(KakusyuTest, ValidBankPathIsStoredAndConnectedAtOnce)
{
    const std::string newPath = makeBankMaster("new.mdb");
    TfrmKakusyu &s = open();
    EXPECT_FALSE(f.dm().ADOConBank.isOpen());
    s.EditBankData->setText(QString::fromStdString(newPath));
    s.EditTesuuryou->clear();
    s.closeScreen();
    EXPECT_TRUE(f.boxes.empty());
    EXPECT_EQ(ini("DataFiles", "BankData"), newPath);
    EXPECT_EQ(ini("Tesuuryou", "TesuuryouKubun"), "0");
    EXPECT_EQ(ini("Tesuuryou", "TesuuryouKingaku"), "");
    EXPECT_TRUE(f.dm().ADOConBank.isOpen());
    EXPECT_EQ(f.dm().ADOConBank.path(), newPath);
}

TEST_F(KakusyuTest, BrowseOffersOnlyTheBankMasterFromTheCurrentFolder)
{
    TfrmKakusyu &s = open();
    s.EditBankData->setText("/data/banks/銀行マスタ.mdb");
    f.files.answer(QString());
    s.btnBankToClick();
    EXPECT_EQ(s.EditBankData->text(), "/data/banks/銀行マスタ.mdb");
    f.files.answer("/other/銀行マスタ.mdb");
    s.btnBankToClick();
    EXPECT_EQ(s.EditBankData->text(), "/other/銀行マスタ.mdb");
    ASSERT_EQ(f.files.calls().size(), 2u);
    EXPECT_EQ(f.files.calls()[0].filter, "銀行データ|銀行マスタ.mdb|銀行データ（公開データ）|銀行マスタ.db");
    EXPECT_EQ(f.files.calls()[0].folder, "/data/banks");
    EXPECT_TRUE(f.files.calls()[0].fileName.isEmpty());
    // Nothing is stored before the screen is left.
    EXPECT_EQ(ini("DataFiles", "BankData"), "<none>");
}

TEST_F(KakusyuTest, DeleteAllKeepsFacilitiesAndTheSettingsFile)
{
    f.data.addFacility(1, "本部");
    f.data.addConsignor("0000000001", "ｺｳ");
    f.data.addRecipient("0000000001", 5, 1, "1", "ｲﾁ");
    f.data.db.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード) VALUES (20080115, 1)");
    f.data.db.exec("INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番) VALUES (20080115, 1, 10000)");
    IniFile(f.iniPath()).writeString("Tesuuryou", "TesuuryouKingaku", "500");
    const std::string iniBefore = test::readBytes(f.iniPath());
    TfrmKakusyu &s = open();

    f.boxes.answer(IdNo);
    s.btnDelClick();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, "全データを削除します\n\rよろしいですか？");
    EXPECT_EQ(f.boxes.last().defaultButton, kDefaultButton1);
    EXPECT_EQ(f.data.count("M_銀行"), 1);

    f.boxes.answer(IdYes);
    s.btnDelClick();
    ASSERT_EQ(f.boxes.count(), 3u);
    EXPECT_EQ(f.boxes.last().text, "全データを削除しました。");
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Information);
    for (const char *table : masters::kDeleteAllTables)
        EXPECT_EQ(f.data.count(table), 0) << table;
    EXPECT_EQ(f.data.count("M_施設"), 1);
    EXPECT_EQ(test::readBytes(f.iniPath()), iniBefore);
    EXPECT_EQ(f.dm().backups().list().size(), 1u) << "a backup was written before the deletion";
}

TEST_F(KakusyuTest, DeleteAllWithoutABackupDeletesNothing)
{
    f.data.addConsignor("0000000001", "ｺｳ");
    TfrmKakusyu &s = open();
    test::writeBytes(f.dm().backups().folder(), "a file where the backup folder belongs");
    f.boxes.answer(IdYes);
    s.btnDelClick();
    ASSERT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(f.boxes.last().text.rfind("バックアップを作成できないため、削除を中止しました。\n\r", 0), 0u);
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Error);
    EXPECT_EQ(f.data.count("M_銀行"), 1);
}

TEST_F(KakusyuTest, FailedDeleteIsReportedAndDeletesNothing)
{
    f.data.addConsignor("0000000001", "ｺｳ");
    TfrmKakusyu &s = open();
    f.data.db.exec("DROP TABLE T_エンドレコード");
    f.boxes.answer(IdYes);
    s.btnDelClick();
    ASSERT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(f.boxes.last().text, "全データの削除に失敗しました。");
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Information);
    EXPECT_EQ(f.data.count("M_銀行"), 1);
    EXPECT_FALSE(f.dm().ADOConFurikomi.inTransaction());
}

TEST_F(KakusyuTest, BankFileFormChoicesAreLoadedAndSavedWithTheOtherSettings)
{
    {
        // Nothing stored and unknown values show the defaults, as the writer reads them.
        IniFile(f.iniPath()).writeString("Output", "Designation", "5");
        TfrmKakusyu &s = open();
        EXPECT_EQ(shown(s.cmbClearingHouse), "空白（既定）");
        EXPECT_EQ(shown(s.cmbDesignation), "空白（既定）");
        EXPECT_EQ(shown(s.cmbLineBreak), "なし（既定）");
        EXPECT_EQ(s.cmbDesignation->count(), 3);
        s.cmbClearingHouse->setCurrentIndex(1);
        s.cmbDesignation->setCurrentIndex(1);
        s.cmbLineBreak->setCurrentIndex(1);
        // Nothing is written before the screen is left.
        EXPECT_EQ(ini("Output", "ClearingHouse"), "<none>");
        s.closeScreen();
    }
    EXPECT_EQ(ini("Output", "ClearingHouse"), "1");
    EXPECT_EQ(ini("Output", "Designation"), "7");
    EXPECT_EQ(ini("Output", "LineBreak"), "1");

    {
        // Leaving other than by メニュー (the main window's close box) keeps the stored choices.
        TfrmKakusyu &s = open();
        s.cmbClearingHouse->setCurrentIndex(0);
        screen.reset();
    }
    EXPECT_EQ(ini("Output", "ClearingHouse"), "1");

    IniFile(f.iniPath()).writeString("Output", "Designation", "8");
    TfrmKakusyu &s = open();
    EXPECT_EQ(shown(s.cmbClearingHouse), "0000");
    EXPECT_EQ(shown(s.cmbDesignation), "8 文書");
    EXPECT_EQ(shown(s.cmbLineBreak), "CR+LF");
    s.cmbLineBreak->setCurrentIndex(0);
    s.closeScreen();
    EXPECT_EQ(ini("Output", "LineBreak"), "0");
    EXPECT_EQ(ini("Output", "Designation"), "8");
}

TEST_F(KakusyuTest, Render)
{
    IniFile(f.iniPath()).writeString("Tesuuryou", "TesuuryouKingaku", "30000");
    TfrmKakusyu &s = open();
    s.EditBankData->setText("C:\\Program Files\\Ledra\\Data\\銀行マスタ.MDB");
    s.show();
    test::renderIfAsked(s, "kakusyu");
}

} // namespace
