// The facility master: new, edit, the checks before storing and the
// cancel question.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "masters/formshisetumaster.h"
#include "screenfixture.h"
#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"
#include "widgets/stripedgrid.h"

using namespace pelanova;

class ShisetuMasterTest : public QObject
{
    Q_OBJECT

private:
    TfrmShisetuMaster &open()
    {
        screen = std::make_unique<TfrmShisetuMaster>(f->context(), nullptr);
        screen->resize(900, 500);
        return *screen;
    }

    // The stored file name; "<no facility>" when the row is missing.
    std::optional<std::string> storedFileName(int code)
    {
        sql::Statement st = f->data.db.prepare("SELECT 総合振込データファイル名 FROM M_施設 WHERE 施設コード = ?");
        st.bind(1, int64_t(code));
        if (!st.step())
            return "<no facility>";
        if (st.isNull(0))
            return std::nullopt;
        return st.text(0);
    }

    std::unique_ptr<test::ScreenFixture> f;
    std::unique_ptr<TfrmShisetuMaster> screen;

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

    void emptyTableShowsNoLinesAndNewProposesCodeOne()
    {
        TfrmShisetuMaster &s = open();
        QCOMPARE(s.GridList->lineCount(), 0);
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        QVERIFY(!s.btnSave->isEnabled());
        QVERIFY(!s.EditName->isEnabled());

        s.btnNewClick();
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeNew);
        QCOMPARE(s.EditCode->text(), "1");
        QVERIFY(!s.EditCode->isEnabled());
        QVERIFY(s.EditName->isEnabled());
        QVERIFY(!s.GridList->isEnabled());
        QVERIFY(!s.btnNew->isEnabled());
        QVERIFY(s.btnCancel->isEnabled());

        test::typeText(s.EditName, QStringLiteral("本部"));
        test::typeText(s.EditFileName, QStringLiteral("FB01"));
        s.btnSaveClick();
        QVERIFY(f->boxes.empty());
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        QCOMPARE(s.GridList->lineCount(), 1);
        QCOMPARE(s.GridList->cellText(0, 0), "1");
        QCOMPARE(s.GridList->cellText(0, 1), "本部");
        QCOMPARE(storedFileName(1).value_or("<NULL>"), "FB01");
    }

    void newNeverFillsAGapAndReselectsTheRowAfterSaving()
    {
        f->data.addFacility(1, "本部", "FB01");
        f->data.addFacility(5, "南", "FB05");
        TfrmShisetuMaster &s = open();
        QCOMPARE(s.GridList->lineCount(), 2);
        QVERIFY(s.GridList->setCurrentLine(1));

        s.btnNewClick();
        QCOMPARE(s.EditCode->text(), "6");
        test::typeText(s.EditName, QStringLiteral("北"));
        s.btnSaveClick();
        QCOMPARE(s.GridList->lineCount(), 3);
        QCOMPARE(s.GridList->cellText(2, 0), "6");
        QCOMPARE(s.GridList->currentLine(), 1);
        QCOMPARE(f->data.count("M_施設"), 3);
    }

    void blankFileNameIsStoredAsNullAndSurroundingBlanksStay()
    {
        f->data.addFacility(1, "本部", "FB01");
        TfrmShisetuMaster &s = open();
        s.GridList->setCurrentLine(0);
        s.btnEditClick();
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeEdit);
        QCOMPARE(s.EditFileName->text(), "FB01");
        s.EditFileName->selectAll();
        test::typeText(s.EditFileName, QStringLiteral("   "));
        s.btnSaveClick();
        QVERIFY(!storedFileName(1));

        s.btnNewClick();
        test::typeText(s.EditName, QStringLiteral("  "));
        test::typeText(s.EditFileName, QStringLiteral(" FB02 "));
        s.btnSaveClick();
        QVERIFY2(f->boxes.empty(), "a name of blanks is accepted");
        QCOMPARE(storedFileName(2).value_or("<NULL>"), " FB02 ");
    }

    void checksComeInOrderAndKeepTheEntryOpen()
    {
        f->data.addFacility(1, "本部");
        TfrmShisetuMaster &s = open();

        s.btnNewClick();
        s.btnSaveClick();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, "施設名を入力してください。");
        QCOMPARE(f->boxes.last().icon, MessageIcon::Error);
        QCOMPARE(f->boxes.last().title, kAppTitle);
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeNew);

        // Someone else took the proposed code meanwhile.
        f->data.addFacility(2, "別");
        test::typeText(s.EditName, QStringLiteral("東"));
        s.btnSaveClick();
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(f->boxes.last().text, "施設コードはすでに使用されています。");
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeNew);
        QCOMPARE(f->data.count("M_施設"), 2);

        // A facility gone before 修正: empty fields, and the code check comes first.
        f->boxes.answer(IdYes);
        s.btnCancelClick();
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        QVERIFY(s.GridList->setCurrentLine(0));
        f->data.db.exec("DELETE FROM M_施設 WHERE 施設コード = 1");
        s.btnEditClick();
        QCOMPARE(f->boxes.count(), 4u);
        QCOMPARE(f->boxes.last().text, "登録してある施設は見つかりませんでした。");
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeEdit);
        QVERIFY(s.EditCode->text().isEmpty());
        QVERIFY(s.EditName->text().isEmpty());
        s.btnSaveClick();
        QCOMPARE(f->boxes.last().text, "施設コードを入力してください。");
        s.btnCancelClick();
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        QCOMPARE(f->boxes.count(), 5u);
    }

    void editWithoutAFacilityLineDoesNothing()
    {
        {
            TfrmShisetuMaster &s = open();
            s.btnEditClick();
            s.GridListDblClick(0);
            QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
            QVERIFY(f->boxes.empty());
        }
        f->data.addFacility(3, "西", "FB03");
        TfrmShisetuMaster &s = open();
        s.btnEditClick();
        s.GridListDblClick(0);
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse); // no line is selected after opening
        QVERIFY(f->boxes.empty());
        s.GridList->setCurrentLine(0);
        s.GridListDblClick(StripedGrid::rowOfLine(0));
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeEdit);
        QCOMPARE(s.EditName->text(), "西");
    }

    void cancelAsksOnlyAfterTypingAndHonoursTheAnswer()
    {
        f->data.addFacility(1, "本部", "FB01");
        TfrmShisetuMaster &s = open();
        s.GridList->setCurrentLine(0);

        s.btnEditClick();
        s.btnCancelClick();
        QVERIFY(f->boxes.empty());
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);

        // キャンセル: the entry stays open as it was.
        s.btnEditClick();
        test::typeText(s.EditName, QStringLiteral("館"));
        f->boxes.answer(IdCancel);
        s.btnCancelClick();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, "変更されている項目があります。キャンセルしますか？");
        QCOMPARE(f->boxes.last().buttons, MessageButtons::YesNoCancel);
        QCOMPARE(f->boxes.last().defaultButton, kDefaultButton3);
        QCOMPARE(f->boxes.last().icon, MessageIcon::Question);
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeEdit);
        QCOMPARE(s.EditName->text(), "本部館");

        // はい: cancelled, nothing stored.
        f->boxes.answer(IdYes);
        s.btnCancelClick();
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        QCOMPARE(s.GridList->cellText(0, 1), "本部");

        // いいえ: not cancelled, the entry is stored as 登録 stores it.
        s.btnEditClick();
        test::typeText(s.EditName, QStringLiteral("館"));
        f->boxes.answer(IdNo);
        s.btnCancelClick();
        QCOMPARE(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        QCOMPARE(s.GridList->cellText(0, 1), "本部館");
        QCOMPARE(s.GridList->currentLine(), 0);
        QCOMPARE(f->boxes.count(), 3u);
    }
};

QObject *createShisetuMasterTest() { return new ShisetuMasterTest; }

#include "shisetumaster_test.moc"
