// The masters screens' export and import buttons and the import's preview,
// every dialog scripted.

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QAction>

#include "core/cp932.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formshisetumaster.h"
#include "masters/masterimportdialog.h"
#include "screenfixture.h"
#include "support/tempdir.h"
#include "widgets/gradientbutton.h"
#include "widgets/stripedgrid.h"

#include <filesystem>

using namespace pelanova;

class MasterFilesScreensTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::ScreenFixture> f;
    std::unique_ptr<test::TempDir> dir;

    struct Seen
    {
        QString counts;
        QStringList changes;
        bool noIsDefault = false;
    };

    // Answers the preview by a key press, after noting what it shows.
    std::function<int(QDialog &)> answerWith(Qt::Key key, Seen &seen)
    {
        return [key, &seen](QDialog &dialog) {
            auto &preview = dynamic_cast<TfrmMasterImport &>(dialog);
            seen.counts = preview.lblCounts->text();
            for (int i = 0; i < preview.lstChanges->count(); ++i)
                seen.changes << preview.lstChanges->item(i)->text();
            seen.noIsDefault = preview.btnNo->isDefault() && !preview.btnYes->isDefault();
            preview.show();
            if (key == Qt::Key_Y)
                preview.btnYes->click();
            else
                QTest::keyClick(&preview, key);
            return preview.result();
        };
    }

    QString file(const char *name) const { return QString::fromStdString(dir->file(name)); }

    std::string facilityName(int code)
    {
        sql::Statement st = f->data.db.prepare("SELECT 施設名 FROM M_施設 WHERE 施設コード = ?");
        st.bind(1, int64_t(code));
        return st.step() ? st.text(0) : "<none>";
    }

private slots:
    void init()
    {
        f = std::make_unique<test::ScreenFixture>();
        dir = std::make_unique<test::TempDir>();
        f->data.addFacility(1, "本社", "HONSHA");
        f->data.addFacility(2, "北工場");
    }

    void cleanup()
    {
        f.reset();
        dir.reset();
    }

    void facilityExportTakesTheFormOfTheFilterChosen()
    {
        TfrmShisetuMaster s(f->context(), nullptr);
        f->files.answer(file("施設"), QStringLiteral("Excel ブック(*.xlsx)"));
        s.btnExport->click();
        QVERIFY(std::filesystem::exists(dir->file("施設.xlsx")));
        QCOMPARE(f->boxes.last().icon, MessageIcon::Information);
        QCOMPARE(f->files.calls().back().fileName, QStringLiteral("施設マスタ.csv"));

        f->files.answer(file("施設.csv"));
        s.btnExport->click();
        QCOMPARE(cp932::decode(test::readBytes(dir->file("施設.csv"))),
                 std::string("施設コード,施設名,総合振込データファイル名\r\n1,本社,HONSHA\r\n2,北工場,\r\n"));
        // Writing over it is asked first; いいえ (the default) keeps it.
        test::writeBytes(dir->file("施設.csv"), "keep");
        f->files.answer(file("施設.csv"));
        s.btnExport->click();
        QCOMPARE(f->boxes.last().defaultButton, kDefaultButton2);
        QCOMPARE(test::readBytes(dir->file("施設.csv")), std::string("keep"));
    }

    void facilityImportAsksWithThePreviewAndAppliesOnlyOnYes()
    {
        TfrmShisetuMaster s(f->context(), nullptr);
        test::writeBytes(dir->file("in.csv"), "施設コード,施設名\r\n1,本社ビル\r\n2,北工場\r\n");
        Seen seen;
        // Return takes いいえ, the default; Esc cancels: nothing changes.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            s.execDialog = answerWith(key, seen);
            f->files.answer(file("in.csv"));
            s.btnImport->click();
            QCOMPARE(facilityName(1), std::string("本社"));
        }
        QCOMPARE(seen.counts, QStringLiteral("追加 0 件 / 変更 1 件 / 変更なし 1 件"));
        QCOMPARE(seen.changes.first(), QStringLiteral("変更 2行目 施設コード 1 本社ビル：施設名 本社→本社ビル"));
        QVERIFY(seen.noIsDefault);

        s.execDialog = answerWith(Qt::Key_Y, seen);
        f->files.answer(file("in.csv"));
        s.btnImport->click();
        QCOMPARE(facilityName(1), std::string("本社ビル"));
        QCOMPARE(s.GridList->cellText(0, 1), QStringLiteral("本社ビル"));
        QVERIFY(!f->dm().backups().list().empty());
    }

    void aRefusedFileIsSaidAndNoPreviewShows()
    {
        TfrmShisetuMaster s(f->context(), nullptr);
        bool previewed = false;
        s.execDialog = [&](QDialog &) { previewed = true; return int(QDialog::Accepted); };
        test::writeBytes(dir->file("bad.csv"), "施設コード,施設名\r\n12345,x\r\n");
        f->files.answer(file("bad.csv"));
        s.btnImport->click();
        QVERIFY(!previewed);
        QCOMPARE(f->boxes.last().icon, MessageIcon::Error);
        QVERIFY(QString::fromStdString(f->boxes.last().text).contains(QStringLiteral("2行目 施設コード「12345」")));
        QCOMPARE(facilityName(1), std::string("本社"));
    }

    void feeMasterImportsRecipientsAndWritesTheListAsExcel()
    {
        f->data.addConsignor("0000012345", "ｲﾀｸｼﾔ");
        f->data.addRecipient("0000012345", 1, 23, "0012345", "ﾔﾏﾀﾞ", 0, 0);
        TfrmFurikomiTesuuryou s(f->context(), nullptr);
        QCOMPARE(s.TabFurikomi->GridList->cellText(0, RecipientFeePage::ColCategory), QStringLiteral("0"));

        test::writeBytes(dir->file("r.csv"), "委託者コード,銀行番号,支店番号,預金種別,口座番号,手数料区分,手数料金額\r\n"
                                             "0000012345,0001,023,1,0012345,1,\"30,000\"\r\n");
        Seen seen;
        s.execDialog = answerWith(Qt::Key_Y, seen);
        f->files.answer(file("r.csv"));
        s.actImportRecipients->trigger();
        QCOMPARE(seen.counts, QStringLiteral("追加 0 件 / 変更 1 件 / 変更なし 0 件"));
        QCOMPARE(s.TabFurikomi->GridList->cellText(0, RecipientFeePage::ColCategory), QStringLiteral("1"));
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "口座番号 = '0012345'"), 30000);

        f->files.answer(file("list"));
        s.actFurikomiExcel->trigger();
        QVERIFY(std::filesystem::exists(dir->file("list.xlsx")));
        f->files.answer(file("fees.csv"));
        s.actExportConsignors->trigger();
        QVERIFY(test::readBytes(dir->file("fees.csv")).find("0000012345,") != std::string::npos);
        QCOMPARE(f->boxes.unscripted(), 3); // the notices: imported, and two files written
    }
};

QObject *createMasterFilesScreensTest() { return new MasterFilesScreensTest; }

#include "masterfiles_screens_test.moc"
