// The settings screen: the settings file, the bank master connection, the
// bank file form choices and the deletion of all data.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "core/datamodule.h"
#include "core/inifile.h"
#include "support/testdatabase.h"
#include "widgets/gradientbutton.h"
#include "widgets/utf8text.h"
#include "masters/formkakusyu.h"
#include "output/transferfile.h"
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

} // namespace

class KakusyuTest : public QObject
{
    Q_OBJECT

private:
    // A bank master the data module can open.
    std::string makeBankMaster(const std::string &name)
    {
        const std::string path = f->folder().file(name);
        sql::Database bank;
        bank.open(path, sql::Database::Mode::Create);
        schema::createBankMaster(bank);
        return path;
    }

    TfrmKakusyu &open()
    {
        screen = std::make_unique<TfrmKakusyu>(f->context(), nullptr);
        screen->resize(900, 500);
        return *screen;
    }

    std::string ini(const char *section, const char *key)
    {
        return IniFile(f->iniPath()).readString(section, key, "<none>");
    }

    std::unique_ptr<test::ScreenFixture> f;
    std::unique_ptr<TfrmKakusyu> screen;

private slots:
    void init()
    {
        f = std::make_unique<test::ScreenFixture>();
    }

    void cleanup()
    {
        screen.reset();
        f.reset();
    }

    void readsTheSettingsOnOpeningAndHidesTheAccountingGroup()
    {
        IniFile file(f->iniPath());
        file.writeString("Tesuuryou", "TesuuryouKubun", "1");
        file.writeString("Tesuuryou", "TesuuryouKingaku", "30000");
        file.writeString("DataFiles", "BankData", "/nowhere/銀行マスタ.mdb");
        file.writeString("DataFiles", "LedraData", "/nowhere/Ledra.mdb");
        TfrmKakusyu &s = open();
        QVERIFY(s.chkTesuuryou->isChecked());
        QCOMPARE(s.EditTesuuryou->text(), "30000");
        QCOMPARE(s.EditBankData->text(), "/nowhere/銀行マスタ.mdb");
        QCOMPARE(s.EditLedraData->text(), "/nowhere/Ledra.mdb");
        QVERIFY(s.grpLedra->isHidden());
        QVERIFY(!s.grpBank->isHidden());
    }

    void invalidBankPathKeepsTheOldOneAndStillStoresTheFeeDefault()
    {
        const std::string oldPath = makeBankMaster("銀行マスタ.mdb");
        IniFile(f->iniPath()).writeString("DataFiles", "BankData", oldPath);
        TfrmKakusyu &s = open();
        QVERIFY(f->dm().ADOConBank.isOpen());
        s.chkTesuuryou->setChecked(true);
        s.EditTesuuryou->setText("1200");
        s.EditBankData->setText(QString::fromStdString(f->folder().file("missing/銀行マスタ.mdb")));
        s.closeScreen();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, "銀行マスタデータベースに接続できませんでした。");
        QCOMPARE(f->boxes.last().icon, MessageIcon::Error);
        QCOMPARE(ini("DataFiles", "BankData"), oldPath);
        QCOMPARE(ini("Tesuuryou", "TesuuryouKubun"), "1");
        QCOMPARE(ini("Tesuuryou", "TesuuryouKingaku"), "1200");
        QVERIFY(!f->dm().ADOConBank.isOpen());
    }

    void validBankPathIsStoredAndConnectedAtOnce()
    {
        const std::string newPath = makeBankMaster("new.mdb");
        TfrmKakusyu &s = open();
        QVERIFY(!f->dm().ADOConBank.isOpen());
        s.EditBankData->setText(QString::fromStdString(newPath));
        s.EditTesuuryou->clear();
        s.closeScreen();
        QVERIFY(f->boxes.empty());
        QCOMPARE(ini("DataFiles", "BankData"), newPath);
        QCOMPARE(ini("Tesuuryou", "TesuuryouKubun"), "0");
        QCOMPARE(ini("Tesuuryou", "TesuuryouKingaku"), "");
        QVERIFY(f->dm().ADOConBank.isOpen());
        QCOMPARE(f->dm().ADOConBank.path(), newPath);
    }

    void browseOffersOnlyTheBankMasterFromTheCurrentFolder()
    {
        TfrmKakusyu &s = open();
        s.EditBankData->setText("/data/banks/銀行マスタ.mdb");
        f->files.answer(QString());
        s.btnBankToClick();
        QCOMPARE(s.EditBankData->text(), "/data/banks/銀行マスタ.mdb");
        f->files.answer("/other/銀行マスタ.mdb");
        s.btnBankToClick();
        QCOMPARE(s.EditBankData->text(), "/other/銀行マスタ.mdb");
        QCOMPARE(f->files.calls().size(), 2u);
        QCOMPARE(f->files.calls()[0].filter, "銀行データ|銀行マスタ.mdb|銀行データ（公開データ）|銀行マスタ.db");
        QCOMPARE(f->files.calls()[0].folder, "/data/banks");
        QVERIFY(f->files.calls()[0].fileName.isEmpty());
        // Nothing is stored before the screen is left.
        QCOMPARE(ini("DataFiles", "BankData"), "<none>");
    }

    void deleteAllKeepsFacilitiesAndTheSettingsFile()
    {
        f->data.addFacility(1, "本部");
        f->data.addConsignor("0000000001", "ｺｳ");
        f->data.addRecipient("0000000001", 5, 1, "1", "ｲﾁ");
        f->data.db.exec("INSERT INTO T_ヘッダレコード (振込依頼日, 施設コード) VALUES (20080115, 1)");
        f->data.db.exec("INSERT INTO T_データレコード (振込依頼日, 施設コード, 取込順番) VALUES (20080115, 1, 10000)");
        IniFile(f->iniPath()).writeString("Tesuuryou", "TesuuryouKingaku", "500");
        const std::string iniBefore = test::readBytes(f->iniPath());
        TfrmKakusyu &s = open();

        f->boxes.answer(IdNo);
        s.btnDelClick();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, "全データを削除します\n\rよろしいですか？");
        QCOMPARE(f->boxes.last().defaultButton, kDefaultButton1);
        QCOMPARE(f->data.count("M_銀行"), 1);

        f->boxes.answer(IdYes);
        s.btnDelClick();
        QCOMPARE(f->boxes.count(), 3u);
        QCOMPARE(f->boxes.last().text, "全データを削除しました。");
        QCOMPARE(f->boxes.last().icon, MessageIcon::Information);
        for (const char *table : masters::kDeleteAllTables)
            QVERIFY2(f->data.count(table) == 0, table);
        QCOMPARE(f->data.count("M_施設"), 1);
        QCOMPARE(test::readBytes(f->iniPath()), iniBefore);
        QCOMPARE(f->dm().backups().list().size(), 1u); // a backup was written before the deletion
    }

    void deleteAllWithoutABackupDeletesNothing()
    {
        f->data.addConsignor("0000000001", "ｺｳ");
        TfrmKakusyu &s = open();
        test::writeBytes(f->dm().backups().folder(), "a file where the backup folder belongs");
        f->boxes.answer(IdYes);
        s.btnDelClick();
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(f->boxes.last().text.rfind("バックアップを作成できないため、削除を中止しました。\n\r", 0), 0u);
        QCOMPARE(f->boxes.last().icon, MessageIcon::Error);
        QCOMPARE(f->data.count("M_銀行"), 1);
    }

    void failedDeleteIsReportedAndDeletesNothing()
    {
        f->data.addConsignor("0000000001", "ｺｳ");
        TfrmKakusyu &s = open();
        f->data.db.exec("DROP TABLE T_エンドレコード");
        f->boxes.answer(IdYes);
        s.btnDelClick();
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(f->boxes.last().text, "全データの削除に失敗しました。");
        QCOMPARE(f->boxes.last().icon, MessageIcon::Information);
        QCOMPARE(f->data.count("M_銀行"), 1);
        QVERIFY(!f->dm().ADOConFurikomi.inTransaction());
    }

    void bankFileFormChoicesAreLoadedAndSavedWithTheOtherSettings()
    {
        {
            // Nothing stored and unknown values show the defaults, as the writer reads them.
            IniFile(f->iniPath()).writeString("Output", "Designation", "5");
            TfrmKakusyu &s = open();
            QCOMPARE(shown(s.cmbClearingHouse), "空白（既定）");
            QCOMPARE(shown(s.cmbDesignation), "空白（既定）");
            QCOMPARE(shown(s.cmbLineBreak), "なし（既定）");
            QCOMPARE(s.cmbDesignation->count(), 3);
            // The unknown value is said beside its list; the others say nothing.
            QVERIFY(!s.lblUnknown[1]->isHidden());
            QCOMPARE(s.lblUnknown[1]->text(),
                     "設定ファイルの [Output] Designation=5 は振込指定区分の選べる値（0, 7, 8）ではありません。"
                     "「空白（既定）」を使います。");
            QVERIFY(s.lblUnknown[0]->isHidden() && s.lblUnknown[2]->isHidden());
            s.cmbClearingHouse->setCurrentIndex(1);
            s.cmbDesignation->setCurrentIndex(1);
            s.cmbLineBreak->setCurrentIndex(1);
            // Nothing is written before the screen is left.
            QCOMPARE(ini("Output", "ClearingHouse"), "<none>");
            s.closeScreen();
        }
        QCOMPARE(ini("Output", "ClearingHouse"), "1");
        QCOMPARE(ini("Output", "Designation"), "7");
        QCOMPARE(ini("Output", "LineBreak"), "1");

        {
            // Leaving other than by メニュー (the main window's close box) keeps the stored choices.
            TfrmKakusyu &s = open();
            s.cmbClearingHouse->setCurrentIndex(0);
            screen.reset();
        }
        QCOMPARE(ini("Output", "ClearingHouse"), "1");

        IniFile(f->iniPath()).writeString("Output", "Designation", "8");
        TfrmKakusyu &s = open();
        QCOMPARE(shown(s.cmbClearingHouse), "0000");
        QCOMPARE(shown(s.cmbDesignation), "8 文書");
        QCOMPARE(shown(s.cmbLineBreak), "CR+LF");
        s.cmbLineBreak->setCurrentIndex(0);
        s.closeScreen();
        QCOMPARE(ini("Output", "LineBreak"), "0");
        QCOMPARE(ini("Output", "Designation"), "8");
        QVERIFY(unknownChoices(IniFile(f->iniPath())).empty());

        // A hand-edited value is what the start-up names, and what the
        // settings screen stores over once it is left by メニュー.
        IniFile(f->iniPath()).writeString("Output", "ClearingHouse", "0000");
        QCOMPARE(unknownChoices(IniFile(f->iniPath())),
                 (std::vector<std::string>{"設定ファイルの [Output] ClearingHouse=0000 は手形交換所番号の選べる値（0, 1）"
                                           "ではありません。「空白（既定）」を使います。"}));
        QCOMPARE(output::readTransferFileForm(IniFile(f->iniPath())).clearingHouse(), std::string_view("    "));
        TfrmKakusyu &again = open();
        QVERIFY(!again.lblUnknown[0]->isHidden());
        QCOMPARE(shown(again.cmbClearingHouse), "空白（既定）");
        again.closeScreen();
        QCOMPARE(ini("Output", "ClearingHouse"), "0");
    }

    void databaseEngineIsChosenTestedAndStoredWithoutAPassword()
    {
        {
            TfrmKakusyu &s = open();
            QCOMPARE(shown(s.cmbEngine), "SQLite（このパソコンのファイル、既定）");
            QVERIFY(!s.EditConnection->isEnabled() && !s.btnTestConnection->isEnabled());
            s.cmbEngine->setCurrentIndex(1);
            QVERIFY(s.EditConnection->isEnabled() && s.btnTestConnection->isEnabled());

            // A server that is not there is told at once, in the start-up's words.
            s.EditConnection->setText(QStringLiteral("host=") + q(f->folder().file("no-server")) + " dbname=pelanova");
            s.btnTestConnectionClick();
            QVERIFY(!s.lblConnection->isHidden());
            QVERIFY2(s.lblConnection->text().contains("データベースサーバーに接続できません"),
                     qPrintable(s.lblConnection->text()));
            s.EditConnection->setText(QStringLiteral("myserver"));
            s.btnTestConnectionClick();
            QVERIFY(s.lblConnection->text().contains("libpq の形式ではありません"));

            if (test::onPostgres()) {
                const std::string location = test::freshServerSchema();
                s.EditConnection->setText(q(location));
                s.btnTestConnectionClick();
                QVERIFY2(s.lblConnection->text().contains("このプログラムのテーブルがありません"),
                         qPrintable(s.lblConnection->text()));
                {
                    sql::Database db;
                    db.open(location, sql::Database::Mode::ReadWrite);
                    schema::createOwnDatabase(db);
                }
                s.btnTestConnectionClick();
                QVERIFY2(s.lblConnection->text().startsWith("接続できました。"), qPrintable(s.lblConnection->text()));
            }

            // A password is never written into the settings file.
            s.EditConnection->setText(QStringLiteral("host=db1 dbname=pelanova user=keiri password=secret"));
            s.btnTestConnectionClick();
            QCOMPARE(s.lblConnection->text(), q(kPasswordInSettingsText));
            s.closeScreen();
            QVERIFY(!f->boxes.empty());
            QCOMPARE(f->boxes.shown().front().text, kPasswordInSettingsText);
            QCOMPARE(ini("Database", "Engine"), "<none>");
            QCOMPARE(ini("Database", "Connection"), "<none>");
        }
        TfrmKakusyu &s = open();
        s.cmbEngine->setCurrentIndex(1);
        s.EditConnection->setText(QStringLiteral(" host=db1 dbname=pelanova user=keiri "));
        s.closeScreen();
        QCOMPARE(ini("Database", "Engine"), "PostgreSQL");
        QCOMPARE(ini("Database", "Connection"), "host=db1 dbname=pelanova user=keiri");
        QCOMPARE(TDM1::ownDatabaseOf(DataLocation{f->iniPath(), "FBDB.db"}), "host=db1 dbname=pelanova user=keiri");
        TfrmKakusyu &again = open();
        QCOMPARE(shown(again.cmbEngine), "PostgreSQL（共有のサーバー）");
        QCOMPARE(again.EditConnection->text(), "host=db1 dbname=pelanova user=keiri");
    }
};

QObject *createKakusyuTest() { return new KakusyuTest; }

#include "kakusyu_test.moc"
