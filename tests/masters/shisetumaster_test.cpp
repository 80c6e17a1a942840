#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "masters/formshisetumaster.h"
#include "screenfixture.h"
#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"
#include "widgets/stripedgrid.h"

using namespace pelanova;

namespace {

class ShisetuMasterTest : public ::testing::Test
{
protected:
    TfrmShisetuMaster &open()
    {
        screen = std::make_unique<TfrmShisetuMaster>(f.context(), nullptr);
        screen->resize(900, 500);
        return *screen;
    }

    std::optional<std::string> storedFileName(int code)
    {
        sql::Statement st = f.data.db.prepare("SELECT 総合振込データファイル名 FROM M_施設 WHERE 施設コード = ?");
        st.bind(1, int64_t(code));
        EXPECT_TRUE(st.step());
        if (st.isNull(0))
            return std::nullopt;
        return st.text(0);
    }

    test::ScreenFixture f;
    std::unique_ptr<TfrmShisetuMaster> screen;
};

TEST_F(ShisetuMasterTest, EmptyTableShowsNoLinesAndNewProposesCodeOne)
{
    TfrmShisetuMaster &s = open();
    EXPECT_EQ(s.GridList->lineCount(), 0);
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
    EXPECT_FALSE(s.btnSave->isEnabled());
    EXPECT_FALSE(s.EditName->isEnabled());

    s.btnNewClick();
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeNew);
    EXPECT_EQ(s.EditCode->text(), "1");
    EXPECT_FALSE(s.EditCode->isEnabled());
    EXPECT_TRUE(s.EditName->isEnabled());
    EXPECT_FALSE(s.GridList->isEnabled());
    EXPECT_FALSE(s.btnNew->isEnabled());
    EXPECT_TRUE(s.btnCancel->isEnabled());

    test::typeText(s.EditName, QStringLiteral("本部"));
    test::typeText(s.EditFileName, QStringLiteral("FB01"));
    s.btnSaveClick();
    EXPECT_TRUE(f.boxes.empty());
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
    ASSERT_EQ(s.GridList->lineCount(), 1);
    EXPECT_EQ(s.GridList->cellText(0, 0), "1");
    EXPECT_EQ(s.GridList->cellText(0, 1), "本部");
    EXPECT_EQ(*storedFileName(1), "FB01");
}

TEST_F(ShisetuMasterTest, NewNeverFillsAGapAndReselectsTheRowAfterSaving)
{
    f.data.addFacility(1, "本部", "FB01");
    f.data.addFacility(5, "南", "FB05");
    TfrmShisetuMaster &s = open();
    ASSERT_EQ(s.GridList->lineCount(), 2);
    ASSERT_TRUE(s.GridList->setCurrentLine(1));

    s.btnNewClick();
    EXPECT_EQ(s.EditCode->text(), "6");
    test::typeText(s.EditName, QStringLiteral("北"));
    s.btnSaveClick();
    ASSERT_EQ(s.GridList->lineCount(), 3);
    EXPECT_EQ(s.GridList->cellText(2, 0), "6");
    EXPECT_EQ(s.GridList->currentLine(), 1);
    EXPECT_EQ(f.data.count("M_施設"), 3);
}

TEST_F(ShisetuMasterTest, BlankFileNameIsStoredAsNullAndSurroundingBlanksStay)
{
    f.data.addFacility(1, "本部", "FB01");
    TfrmShisetuMaster &s = open();
    s.GridList->setCurrentLine(0);
    s.btnEditClick();
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeEdit);
    EXPECT_EQ(s.EditFileName->text(), "FB01");
    s.EditFileName->selectAll();
    test::typeText(s.EditFileName, QStringLiteral("   "));
    s.btnSaveClick();
    EXPECT_FALSE(storedFileName(1));

    s.btnNewClick();
    test::typeText(s.EditName, QStringLiteral("  "));
    test::typeText(s.EditFileName, QStringLiteral(" FB02 "));
    s.btnSaveClick();
    EXPECT_TRUE(f.boxes.empty()) << "a name of blanks is accepted";
    EXPECT_EQ(*storedFileName(2), " FB02 ");
}

TEST_F(ShisetuMasterTest, ChecksComeInOrderAndKeepTheEntryOpen)
{
    f.data.addFacility(1, "本部");
    TfrmShisetuMaster &s = open();

    s.btnNewClick();
    s.btnSaveClick();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, "施設名を入力してください。");
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Error);
    EXPECT_EQ(f.boxes.last().title, kAppTitle);
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeNew);

    // Someone else took the proposed code meanwhile.
    f.data.addFacility(2, "別");
    test::typeText(s.EditName, QStringLiteral("東"));
    s.btnSaveClick();
    ASSERT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(f.boxes.last().text, "施設コードはすでに使用されています。");
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeNew);
    EXPECT_EQ(f.data.count("M_施設"), 2);

    // A facility gone before 修正: empty fields, and the code check comes first.
    f.boxes.answer(IdYes);
    s.btnCancelClick();
    ASSERT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
    ASSERT_TRUE(s.GridList->setCurrentLine(0));
    f.data.db.exec("DELETE FROM M_施設 WHERE 施設コード = 1");
    s.btnEditClick();
    ASSERT_EQ(f.boxes.count(), 4u);
    EXPECT_EQ(f.boxes.last().text, "登録してある施設は見つかりませんでした。");
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeEdit);
    EXPECT_TRUE(s.EditCode->text().isEmpty());
    EXPECT_TRUE(s.EditName->text().isEmpty());
    s.btnSaveClick();
    EXPECT_EQ(f.boxes.last().text, "施設コードを入力してください。");
    s.btnCancelClick();
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
    EXPECT_EQ(f.boxes.count(), 5u);
}

TEST_F(ShisetuMasterTest, EditWithoutAFacilityLineDoesNothing)
{
    {
        TfrmShisetuMaster &s = open();
        s.btnEditClick();
        s.GridListDblClick(0);
        EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
        EXPECT_TRUE(f.boxes.empty());
    }
    f.data.addFacility(3, "西", "FB03");
    TfrmShisetuMaster &s = open();
    s.btnEditClick();
    s.GridListDblClick(0);
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse) << "no line is selected after opening";
    EXPECT_TRUE(f.boxes.empty());
    s.GridList->setCurrentLine(0);
    s.GridListDblClick(StripedGrid::rowOfLine(0));
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeEdit);
    EXPECT_EQ(s.EditName->text(), "西");
}

TEST_F(ShisetuMasterTest, CancelAsksOnlyAfterTypingAndHonoursTheAnswer)
{
    f.data.addFacility(1, "本部", "FB01");
    TfrmShisetuMaster &s = open();
    s.GridList->setCurrentLine(0);

    s.btnEditClick();
    s.btnCancelClick();
    EXPECT_TRUE(f.boxes.empty());
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);

    // キャンセル: the entry stays open as it was.
    s.btnEditClick();
    test::typeText(s.EditName, QStringLiteral("館"));
    f.boxes.answer(IdCancel);
    s.btnCancelClick();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, "変更されている項目があります。キャンセルしますか？");
    EXPECT_EQ(f.boxes.last().buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(f.boxes.last().defaultButton, kDefaultButton3);
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Question);
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeEdit);
    EXPECT_EQ(s.EditName->text(), "本部館");

    // はい: cancelled, nothing stored.
    f.boxes.answer(IdYes);
    s.btnCancelClick();
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
    EXPECT_EQ(s.GridList->cellText(0, 1), "本部");

    // いいえ: not cancelled, the entry is stored as 登録 stores it.
    s.btnEditClick();
    test::typeText(s.EditName, QStringLiteral("館"));
    f.boxes.answer(IdNo);
    s.btnCancelClick();
    EXPECT_EQ(s.editMode(), TfrmShisetuMaster::ModeBrowse);
    EXPECT_EQ(s.GridList->cellText(0, 1), "本部館");
    EXPECT_EQ(s.GridList->currentLine(), 0);
    EXPECT_EQ(f.boxes.count(), 3u);
}

TEST_F(ShisetuMasterTest, Render)
{
    f.data.addFacility(1, "本部", "FB01");
    f.data.addFacility(2, "東館", "FB02");
    f.data.addFacility(3, "西館");
    TfrmShisetuMaster &s = open();
    s.show();
    s.GridList->setCurrentLine(1);
    s.btnEditClick();
    test::renderIfAsked(s, "shisetumaster");
}

} // namespace
