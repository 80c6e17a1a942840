#include <gtest/gtest.h>

#include <QCheckBox>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QPaintEvent>
#include <QTest>

#include "masters/formfurikomitesuuryou.h"
#include "masters/formfurikomitesuuryouall.h"
#include "screenfixture.h"
#include "widgets/gradientbutton.h"
#include "widgets/keyedlists.h"
#include "widgets/numericedit.h"
#include "widgets/pagecontrol.h"
#include "widgets/stripedgrid.h"

using namespace pelanova;

namespace {

constexpr const char *kAskSave = "データは変更されています。\n\r登録しますか？";
constexpr const char *kAskSaveAndLeave = "データは変更されています。\n\r登録してメニュー画面に戻りますか？";
constexpr const char *kAskCancel = "データは変更されています。キャンセルすると元に戻ります。\n\rよろしいですか？";

class FurikomiTesuuryouTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        f.data.addConsignor("0000000001", "ｺｳ", 1, 1, "みずほ銀行");
        f.data.addConsignor("0000000002", "ｵﾂ", 9, 5);
        // Listed by name: ｱ (9 その他), ｲ (4), ｳ (1).
        f.data.addRecipient("0000000001", 5, 12, "0000001", "ｳﾁﾀﾞ", 1, 30000, 1, "りそな銀行");
        f.data.addRecipient("0000000001", 6, 3, "0000002", "ｱｵｷ", 0, 0, 9);
        f.data.addRecipient("0000000001", 7, 4, "0000003", "ｲﾄｳ", 0, 1000, 4);
        // The same account under the other consignor.
        f.data.addRecipient("0000000002", 5, 12, "0000001", "ｳﾁﾀﾞ", 0, 0, 1);
    }

    TfrmFurikomiTesuuryou &open()
    {
        screen = std::make_unique<TfrmFurikomiTesuuryou>(f.context(), nullptr);
        screen->resize(1000, 620);
        return *screen;
    }

    // Turns the page as the user does, with a click on its tab.
    void turnPage(int page)
    {
        screen->show();
        QTabBar *bar = screen->PageControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        ASSERT_EQ(screen->PageControl1->currentIndex(), page);
    }

    void chooseConsignor(int index)
    {
        screen->cmbItakusya->setCurrentIndex(index);
        screen->cmbItakusyaClick();
    }

    test::ScreenFixture f;
    std::unique_ptr<TfrmFurikomiTesuuryou> screen;
};

TEST_F(FurikomiTesuuryouTest, PrintButtonOpensTheRecipientListOnceAndReusesIt)
{
    TfrmFurikomiTesuuryou &s = open();
    s.btnFurikomiPrint->click();
    QPointer<TBaseLRep> list = s.recipientList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->windowTitle(), QStringLiteral("印刷プレビュー（振込先印刷）"));
    EXPECT_EQ(list->pageDisplayText(), QStringLiteral("1/1"));
    s.btnFurikomiPrint->click();
    EXPECT_EQ(s.recipientList(), list.data());
    list->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(list);
    s.btnFurikomiPrint->click();
    EXPECT_TRUE(s.recipientList());
}

TEST_F(FurikomiTesuuryouTest, OpensOnTheFirstConsignorWithItsRecipients)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_EQ(s.cmbItakusya->count(), 2);
    EXPECT_EQ(s.cmbItakusya->currentIndex(), 0);
    EXPECT_EQ(s.cmbItakusya->shownText(0), "0000000001|ｺｳ");
    EXPECT_EQ(s.selectedConsignor(), "0000000001");
    EXPECT_EQ(s.PageControl1->currentIndex(), TfrmFurikomiTesuuryou::PageFurikomi);
    EXPECT_TRUE(s.btnFurikomiPrint->isEnabled());

    ASSERT_EQ(s.GridList->lineCount(), 3);
    EXPECT_EQ(s.GridList->cellText(0, 0), "ｱｵｷ");
    EXPECT_EQ(s.GridList->cellText(2, 1), "0005");
    EXPECT_EQ(s.GridList->cellText(2, 2), "012");
    EXPECT_EQ(s.GridList->cellText(2, 3), "0000001");
    EXPECT_EQ(s.GridList->cellText(2, 4), "1");
    EXPECT_EQ(s.GridList->cellText(2, 5), "30000");
    for (int column : {1, 2, 3})
        EXPECT_TRUE(s.GridList->isColumnHidden(column));
    EXPECT_EQ(s.GridList->columnWidth(0), 250);
    EXPECT_EQ(s.GridList->currentLine(), -1);

    EXPECT_EQ(s.lblBankCode->text(), "0001");
    EXPECT_EQ(s.lblBankName->text(), "みずほ銀行");
    EXPECT_EQ(s.lblSitenCode->text(), "001");
    EXPECT_EQ(s.lblSitenName->text(), "ｼﾃﾝ");

    // Nothing is current yet: the first page's buttons do nothing.
    s.btnCancelClick();
    s.btnSaveClick();
    EXPECT_TRUE(f.boxes.empty());
}

TEST_F(FurikomiTesuuryouTest, SelectingARecipientShowsItsDetail)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    EXPECT_EQ(s.EditUketori->text(), "ｳﾁﾀﾞ");
    EXPECT_EQ(s.EditBankCode->text(), "0005");
    EXPECT_EQ(s.EditSitenCode->text(), "012");
    EXPECT_EQ(s.EditBankName->text(), "りそな銀行");
    EXPECT_EQ(s.EditSitenName->text(), "ﾎﾝﾃﾝ") << "blanks around the name go";
    EXPECT_EQ(s.pnlYokin->text(), "普通");
    EXPECT_EQ(s.EditKouzaNo->text(), "0000001");
    EXPECT_TRUE(s.chkTesuuryou->isChecked());
    EXPECT_TRUE(s.EditTesuuryou->isEnabled());
    EXPECT_EQ(s.EditTesuuryou->value(), 30000);

    ASSERT_TRUE(s.GridList->setCurrentLine(0));
    EXPECT_EQ(s.pnlYokin->text(), "その他");
    EXPECT_EQ(s.EditBankName->text(), "ﾐｽﾞﾎ");
    EXPECT_FALSE(s.chkTesuuryou->isChecked());
    EXPECT_FALSE(s.EditTesuuryou->isEnabled());
    EXPECT_TRUE(s.EditTesuuryou->text().isEmpty()) << "an amount of 0 shows empty";

    ASSERT_TRUE(s.GridList->setCurrentLine(1));
    EXPECT_EQ(s.pnlYokin->text(), "貯蓄") << "a savings account is named";
    EXPECT_EQ(s.EditTesuuryou->value(), 1000);
    EXPECT_TRUE(f.boxes.empty());
}

TEST_F(FurikomiTesuuryouTest, SavingARecipientChangesOnlyThatConsignorsRow)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    s.chkTesuuryou->setChecked(false);
    EXPECT_FALSE(s.EditTesuuryou->isEnabled());
    s.btnSaveClick();
    EXPECT_TRUE(f.boxes.empty()) << "saving shows no message";
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 0);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 30000);
    EXPECT_EQ(s.GridList->cellText(2, 4), "0");

    s.chkTesuuryou->setChecked(true);
    s.EditTesuuryou->setText("50000");
    s.btnSaveClick();
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 1);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 50000);
    EXPECT_EQ(s.GridList->cellText(2, 5), "50000");
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "委託者コード = '0000000002'"), 0);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000002'"), 0);
}

TEST_F(FurikomiTesuuryouTest, SavingARecipientThatIsGoneSaysSoAndKeepsTheEdit)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    f.data.db.exec("DELETE FROM M_受取人 WHERE 委託者コード = '0000000001' AND 口座番号 = '0000001'");
    s.chkTesuuryou->setChecked(false);
    s.btnSaveClick();
    ASSERT_EQ(f.boxes.count(), 1u) << "nothing was written, so it is not shown as saved";
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Error);
    EXPECT_EQ(s.GridList->cellText(2, 4), "1");
    EXPECT_EQ(s.GridList->cellText(2, 5), "30000");
    // The edit is still pending: leaving the line asks again.
    f.boxes.answer(IdNo);
    ASSERT_TRUE(s.GridList->setCurrentLine(0));
    ASSERT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(f.boxes.last().text, kAskSave);
}

TEST_F(FurikomiTesuuryouTest, AClickBelowTheLinesKeepsTheRecipientToSave)
{
    TfrmFurikomiTesuuryou &s = open();
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    ASSERT_TRUE(s.GridList->setCurrentLine(1));
    s.chkTesuuryou->setChecked(true);
    QWidget *area = s.GridList->viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(20, area->height() - 5));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, QPoint(20, area->height() - 5));
    ASSERT_EQ(s.GridList->currentLine(), 1);
    s.btnSaveClick();
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 1);
    EXPECT_EQ(s.GridList->cellText(1, 4), "1");
}

TEST_F(FurikomiTesuuryouTest, RowChangeAsksOnlyAfterAnEdit)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(0));
    ASSERT_TRUE(s.GridList->setCurrentLine(1));
    EXPECT_TRUE(f.boxes.empty());

    s.chkTesuuryou->setChecked(true);
    f.boxes.answer(IdNo);
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskSave);
    EXPECT_EQ(f.boxes.last().title, "振込手数料");
    EXPECT_EQ(f.boxes.last().buttons, MessageButtons::YesNo);
    EXPECT_EQ(f.boxes.last().defaultButton, kDefaultButton1);
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 0);

    // はい saves the row being left.
    s.EditTesuuryou->setText("7000");
    f.boxes.answer(IdYes);
    ASSERT_TRUE(s.GridList->setCurrentLine(1));
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 7000);
    EXPECT_EQ(s.GridList->cellText(2, 5), "7000");
    EXPECT_EQ(s.EditTesuuryou->value(), 1000);
}

TEST_F(FurikomiTesuuryouTest, CancelRestoresTheRowsValuesAfterAsking)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    s.btnCancelClick();
    EXPECT_TRUE(f.boxes.empty());

    s.chkTesuuryou->setChecked(false);
    s.EditTesuuryou->setText("1");
    f.boxes.answer(IdNo);
    s.btnCancelClick();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskCancel);
    EXPECT_EQ(f.boxes.last().title, kAppTitle);
    EXPECT_FALSE(s.chkTesuuryou->isChecked());

    f.boxes.answer(IdYes);
    s.btnCancelClick();
    EXPECT_TRUE(s.chkTesuuryou->isChecked());
    EXPECT_EQ(s.EditTesuuryou->value(), 30000);
    // Nothing left to ask about.
    ASSERT_TRUE(s.GridList->setCurrentLine(0));
    EXPECT_EQ(f.boxes.count(), 2u);
}

TEST_F(FurikomiTesuuryouTest, PageChangeAsksOnlyAfterAnEdit)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    turnPage(TfrmFurikomiTesuuryou::PageFurikomi);
    EXPECT_TRUE(f.boxes.empty());

    // A fee edited, then the other page: asked, はい saves the fee table.
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    s.edtKingaku[7]->setText("111");
    f.boxes.answer(IdYes);
    turnPage(TfrmFurikomiTesuuryou::PageFurikomi);
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskSave);
    EXPECT_EQ(f.boxes.last().title, "振込手数料");
    EXPECT_EQ(f.data.value("M_銀行", "当銀行2未満電信手数料", "委託者コード = '0000000001'"), 111);

    // A recipient edited, then the other page: いいえ drops it, the page changes.
    s.EditTesuuryou->setText("8");
    f.boxes.answer(IdNo);
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    EXPECT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(s.PageControl1->currentIndex(), TfrmFurikomiTesuuryou::PageBank);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 30000);
}

TEST_F(FurikomiTesuuryouTest, AnotherConsignorOnTheFeePageShowsItsTableAndAsksNothingMore)
{
    TfrmFurikomiTesuuryou &s = open();
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    chooseConsignor(1);
    EXPECT_TRUE(f.boxes.empty()) << "no edits, no question";
    EXPECT_EQ(s.lblBankCode->text(), "0009");
    EXPECT_EQ(s.lblSitenCode->text(), "005");
    EXPECT_EQ(s.lblBankName->text(), "ｷﾞﾝｺｳ");
    EXPECT_EQ(s.edtKingaku[0]->value(), 10000);
    EXPECT_EQ(s.GridList->lineCount(), 1);
    turnPage(TfrmFurikomiTesuuryou::PageFurikomi);
    EXPECT_TRUE(f.boxes.empty());
}

TEST_F(FurikomiTesuuryouTest, ChoosingAConsignorAsksAboutUnsavedEditsAsAPageChangeDoes)
{
    TfrmFurikomiTesuuryou &s = open();
    // A fee edited, then another consignor: はい saves it for the consignor it was made for.
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    s.edtKingaku[0]->setText("5");
    f.boxes.answer(IdYes);
    chooseConsignor(1);
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskSave);
    EXPECT_EQ(f.boxes.last().title, "振込手数料");
    EXPECT_EQ(f.data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000001'"), 5);
    EXPECT_EQ(f.data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000002'"), 10000);
    EXPECT_EQ(s.lblBankCode->text(), "0009");
    turnPage(TfrmFurikomiTesuuryou::PageFurikomi);
    EXPECT_EQ(f.boxes.count(), 1u) << "the new consignor's pages are unedited";

    // A recipient edited, then the same consignor again: asked too; いいえ drops the edit.
    chooseConsignor(0);
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    s.EditTesuuryou->setText("8");
    f.boxes.answer(IdNo);
    chooseConsignor(0);
    ASSERT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(f.boxes.last().text, kAskSave);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 30000);
    EXPECT_EQ(s.GridList->currentLine(), -1);

    // はい saves the recipient under the consignor it belongs to, not the one chosen next.
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    s.EditTesuuryou->setText("9");
    f.boxes.answer(IdYes);
    chooseConsignor(1);
    EXPECT_EQ(f.boxes.count(), 3u);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 9);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000002'"), 0);
    EXPECT_EQ(s.GridList->lineCount(), 1);
}

TEST_F(FurikomiTesuuryouTest, TheGridShowsTheSavedAmountAtOnce)
{
    TfrmFurikomiTesuuryou &s = open();
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    ASSERT_TRUE(s.GridList->setCurrentLine(2)); // ticked, 30,000
    QCoreApplication::processEvents();

    struct Painted : QObject
    {
        QRegion region;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    } painted;
    s.GridList->viewport()->installEventFilter(&painted);
    s.chkTesuuryou->setChecked(false);
    s.btnSaveClick();
    QCoreApplication::processEvents();
    // The amount (now not shown beside the empty tick) is drawn again with the tick.
    const QModelIndex amount = s.GridList->model()->index(StripedGrid::rowOfLine(2), 5);
    EXPECT_TRUE(painted.region.contains(s.GridList->visualRect(amount)));
    s.GridList->viewport()->removeEventFilter(&painted);
}

TEST_F(FurikomiTesuuryouTest, TheReadOnlyDetailIsLegible)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(2));
    EXPECT_TRUE(s.pnlBank->isEnabled()) << "a disabled group draws grey on grey";
    for (QLineEdit *field : {s.EditUketori, s.EditBankCode, s.EditBankName, s.EditSitenCode, s.EditSitenName,
                             s.EditKouzaNo}) {
        EXPECT_TRUE(field->isEnabled());
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_EQ(field->focusPolicy(), Qt::NoFocus) << "not in the tab order";
        const QPalette pal = field->palette();
        const int text = pal.color(QPalette::Active, QPalette::Text).lightness();
        const int ground = pal.color(QPalette::Active, QPalette::Base).lightness();
        EXPECT_GE(std::abs(text - ground), 150) << field->objectName().toStdString();
    }
    EXPECT_TRUE(s.pnlYokin->isEnabled());
}

TEST_F(FurikomiTesuuryouTest, FeeTableRoundTripsAllTwentyFourColumns)
{
    {
        TfrmFurikomiTesuuryou &s = open();
        turnPage(TfrmFurikomiTesuuryou::PageBank);
        for (int i = 0; i < masters::kFeeColumnCount; ++i)
            s.edtKingaku[i]->setText(QString::number(2000 + i * 7));
        s.edtKingaku[20]->clear();
        s.btnSaveBankClick();
        EXPECT_TRUE(f.boxes.empty());
        for (int i = 0; i < masters::kFeeColumnCount; ++i)
            EXPECT_EQ(f.data.value("M_銀行", masters::kFeeTableColumns[i], "委託者コード = '0000000001'"),
                      i == 20 ? 0 : 2000 + i * 7)
                << masters::kFeeTableColumns[i];
        EXPECT_EQ(f.data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000002'"), 10000);
    }
    TfrmFurikomiTesuuryou &s = open();
    for (int i = 0; i < masters::kFeeColumnCount; ++i)
        EXPECT_EQ(s.edtKingaku[i]->value(), i == 20 ? 0 : 2000 + i * 7) << i;
    EXPECT_EQ(s.edtKingaku[1]->objectName(), "edtKingaku_2");
    EXPECT_EQ(s.edtKingaku[6 + 8]->objectName(), "edtKingaku_9_Den");
    EXPECT_EQ(s.edtKingaku[15]->objectName(), "edtKingaku_1_Bun");
    // The lower bounds follow the stored limits.
    EXPECT_EQ(s.lblKingaku[0]->text(), "2,000 円以上");
    EXPECT_EQ(s.lblKingaku[5]->text(), "2,035 円以上");
}

TEST_F(FurikomiTesuuryouTest, TabWalksTheFeeTableLineByLine)
{
    TfrmFurikomiTesuuryou &s = open();
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    // Each line as it stands on the page: its band limit (lines 1 and 2 of
    // a group), its telegraphic fee, its document fee.
    QList<QWidget *> expected;
    for (int group = 0; group < 3; ++group) {
        for (int line = 0; line < 3; ++line) {
            if (line < 2)
                expected << s.edtKingaku[masters::bandLimitIndex(group, line)];
            expected << s.edtKingaku[6 + group * 3 + line] << s.edtKingaku[15 + group * 3 + line];
        }
    }
    QList<QWidget *> walked{expected.first()};
    for (QWidget *w = expected.first()->nextInFocusChain(); w != expected.first() && walked.size() < 24;
         w = w->nextInFocusChain()) {
        if (expected.contains(w))
            walked << w;
    }
    QStringList names;
    for (QWidget *w : walked)
        names << w->objectName();
    QStringList want;
    for (QWidget *w : expected)
        want << w->objectName();
    EXPECT_EQ(names.join(' ').toStdString(), want.join(' ').toStdString());
    // After the last fee, Tab goes on to 登録.
    QWidget *after = expected.last()->nextInFocusChain();
    while (after != expected.first() && !(after->focusPolicy() & Qt::TabFocus))
        after = after->nextInFocusChain();
    EXPECT_EQ(after, s.btnSaveBank);
}

TEST_F(FurikomiTesuuryouTest, BandLabelsFollowTheirLimitsAndCancelReloads)
{
    TfrmFurikomiTesuuryou &s = open();
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    EXPECT_EQ(s.lblKingaku[0]->text(), "10,000 円以上");
    EXPECT_EQ(s.lblKingaku[1]->text(), "30,000 円以上");
    s.edtKingaku[1]->setText("50000");
    emit s.edtKingaku[1]->editingFinished();
    EXPECT_EQ(s.lblKingaku[1]->text(), "50,000 円以上");
    s.edtKingaku[3]->setText("45000");
    emit s.edtKingaku[3]->editingFinished();
    EXPECT_EQ(s.lblKingaku[3]->text(), "45,000 円以上");
    s.edtKingaku[3]->clear();
    emit s.edtKingaku[3]->editingFinished();
    EXPECT_EQ(s.lblKingaku[3]->text(), "45,000 円以上") << "an empty entry leaves the label";

    f.boxes.answer(IdYes);
    s.btnCancelBankClick();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskCancel);
    EXPECT_EQ(s.edtKingaku[1]->value(), 30000);
    EXPECT_EQ(s.lblKingaku[1]->text(), "30,000 円以上");
    EXPECT_EQ(s.lblKingaku[3]->text(), "30,000 円以上");
    s.btnCancelBankClick();
    EXPECT_EQ(f.boxes.count(), 1u);
}

TEST_F(FurikomiTesuuryouTest, MenuAfterAnEditAsksWhileTheMenuIsShown)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(1));
    s.chkTesuuryou->setChecked(true);
    size_t screensAskedForBeforeTheQuestion = 0;
    f.boxes.whileShown = [&] { screensAskedForBeforeTheQuestion = f.shownScreens.size(); };
    f.boxes.answer(IdYes);
    s.btnMenu->click();
    ASSERT_EQ(f.shownScreens, std::vector<uint8_t>{ScreenMenu});
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskSaveAndLeave);
    EXPECT_EQ(f.boxes.last().title, "振込手数料");
    EXPECT_EQ(screensAskedForBeforeTheQuestion, 1u) << "the menu was asked for before the question";
    EXPECT_TRUE(s.isClosing());
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 1);
}

TEST_F(FurikomiTesuuryouTest, TheLeftScreenLivesUntilItsQuestionIsAnswered)
{
    TfrmFurikomiTesuuryou &s = open();
    ASSERT_TRUE(s.GridList->setCurrentLine(1));
    s.chkTesuuryou->setChecked(true);
    // The screen as the main window holds it: deleted only by its own leave.
    QPointer<TfrmFurikomiTesuuryou> held(screen.release());
    bool aliveWhileAsked = false;
    f.boxes.whileShown = [&] {
        // A real question box runs an event loop of its own until answered.
        QEventLoop box;
        QTimer::singleShot(20, &box, &QEventLoop::quit);
        box.exec();
        aliveWhileAsked = !held.isNull();
    };
    f.boxes.answer(IdYes);
    // "メニュー" pressed while the application's event loop runs.
    QEventLoop app;
    QTimer::singleShot(0, &app, [&] {
        held->btnMenu->click();
        app.quit();
    });
    app.exec();
    f.boxes.whileShown = nullptr;
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_TRUE(aliveWhileAsked);
    EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    delete held.data();
}

TEST_F(FurikomiTesuuryouTest, MenuWithoutEditsAsksNothingAndNoDropsTheFeeEdits)
{
    {
        TfrmFurikomiTesuuryou &s = open();
        ASSERT_TRUE(s.GridList->setCurrentLine(1));
        s.btnMenu->click();
        EXPECT_TRUE(f.boxes.empty());
    }
    TfrmFurikomiTesuuryou &s = open();
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    s.edtKingaku[0]->setText("1");
    f.boxes.answer(IdNo);
    s.btnMenu->click();
    EXPECT_EQ(f.boxes.count(), 1u);
    EXPECT_EQ(f.boxes.last().text, kAskSaveAndLeave);
    EXPECT_EQ(f.data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000001'"), 10000);
}

TEST_F(FurikomiTesuuryouTest, BulkSettingUpdatesTheConsignorAndReloadsOnlyAfterOk)
{
    TfrmFurikomiTesuuryou &s = open();
    bool checkedInitially = true;
    bool enabledInitially = false;
    s.execDialog = [&](QDialog &dialog) {
        auto &bulk = static_cast<TfrmFurikomiTesuuryouAll &>(dialog);
        checkedInitially = bulk.chkTesuuryou->isChecked();
        enabledInitially = bulk.EditTesuuryou->isEnabled();
        bulk.EditTesuuryou->setText("5000");
        f.boxes.answer(IdNo);
        bulk.btnStartClick();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "口座番号 = '0000001' AND 委託者コード = '0000000001'"), 30000)
            << "いいえ changes nothing";
        EXPECT_EQ(f.data.value("M_受取人", "手数料区分", "口座番号 = '0000001' AND 委託者コード = '0000000001'"), 1);
        f.boxes.answer(IdYes);
        bulk.btnStartClick();
        return dialog.result();
    };
    s.btnTesuuryouAllClick();
    EXPECT_FALSE(checkedInitially);
    EXPECT_TRUE(enabledInitially);
    ASSERT_EQ(f.boxes.count(), 3u);
    EXPECT_EQ(f.boxes.shown()[0].text, "設定された内容で登録します。\n\rよろしいですか？");
    EXPECT_EQ(f.boxes.shown()[0].title, "振込手数料一括登録");
    EXPECT_EQ(f.boxes.shown()[0].defaultButton, kDefaultButton2);
    EXPECT_EQ(f.boxes.shown()[2].text, "設定された内容で登録しました。");
    EXPECT_EQ(f.boxes.shown()[2].icon, MessageIcon::Information);
    EXPECT_EQ(f.data.value("M_受取人", "COUNT(*)", "委託者コード = '0000000001' AND 手数料区分 = 0 AND 手数料金額 = 5000"), 3);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000002'"), 0);
    EXPECT_EQ(s.GridList->cellText(2, 4), "0");
    EXPECT_EQ(s.GridList->cellText(2, 5), "5000");

    // Cancel: nothing written, the list is not reloaded.
    s.GridList->setCellText(0, 5, "marker");
    s.execDialog = [&](QDialog &dialog) {
        auto &bulk = static_cast<TfrmFurikomiTesuuryouAll &>(dialog);
        bulk.chkTesuuryou->click();
        bulk.btnCancel->click();
        return dialog.result();
    };
    s.btnTesuuryouAllClick();
    EXPECT_EQ(s.GridList->cellText(0, 5), "marker");
    EXPECT_EQ(f.boxes.count(), 3u);
    EXPECT_EQ(f.dm().backups().list().size(), 1u) << "one backup, before the one update";
}

TEST_F(FurikomiTesuuryouTest, BulkSettingWithoutABackupChangesNothing)
{
    TfrmFurikomiTesuuryou &s = open();
    test::writeBytes(f.dm().backups().folder(), "a file where the backup folder belongs");
    s.execDialog = [&](QDialog &dialog) {
        auto &bulk = static_cast<TfrmFurikomiTesuuryouAll &>(dialog);
        bulk.EditTesuuryou->setText("5000");
        f.boxes.answer(IdYes);
        bulk.btnStartClick();
        return dialog.result();
    };
    s.btnTesuuryouAllClick();
    ASSERT_EQ(f.boxes.count(), 2u);
    EXPECT_EQ(f.boxes.last().text.rfind("バックアップを作成できないため、登録を中止しました。\n\r", 0), 0u);
    EXPECT_EQ(f.boxes.last().icon, MessageIcon::Error);
    EXPECT_EQ(f.data.value("M_受取人", "COUNT(*)", "手数料金額 = 5000"), 0);
}

TEST(FurikomiTesuuryouEmptyTest, WithoutConsignorsEverythingIsEmptyAndNothingIsWritten)
{
    test::ScreenFixture f;
    f.data.addRecipient("0000000009", 5, 1, "1", "ｲﾁ", 1, 100);
    TfrmFurikomiTesuuryou s(f.context(), nullptr);
    EXPECT_EQ(s.cmbItakusya->count(), 0);
    EXPECT_EQ(s.selectedConsignor(), "");
    EXPECT_EQ(s.GridList->lineCount(), 0);
    EXPECT_TRUE(s.lblBankCode->text().isEmpty());
    EXPECT_TRUE(s.edtKingaku[0]->text().isEmpty());
    EXPECT_FALSE(s.btnTesuuryouAll->isEnabled());
    s.edtKingaku[0]->setText("5");
    s.btnSaveBankClick();
    s.btnSaveClick();
    s.btnCancelClick();
    EXPECT_TRUE(f.boxes.empty());
    EXPECT_EQ(f.data.count("M_銀行"), 0);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "1 = 1"), 100);
}

TEST_F(FurikomiTesuuryouTest, Render)
{
    TfrmFurikomiTesuuryou &s = open();
    s.show();
    s.GridList->setCurrentLine(2);
    test::renderIfAsked(s, "furikomitesuuryou_recipients");
    turnPage(TfrmFurikomiTesuuryou::PageBank);
    test::renderIfAsked(s, "furikomitesuuryou_feetable");
    TfrmFurikomiTesuuryouAll bulk(f.boxes, f.data.db, [] { return std::string("0000000001"); });
    bulk.show();
    test::renderIfAsked(bulk, "furikomitesuuryouall");
}

} // namespace
