// The fee master: the recipients' fee categories, the consignor's fee
// table, the questions about unsaved edits and the bulk setting.

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

} // namespace

class FurikomiTesuuryouTest : public QObject
{
    Q_OBJECT

private:
    TfrmFurikomiTesuuryou &open()
    {
        screen = std::make_unique<TfrmFurikomiTesuuryou>(f->context(), nullptr);
        screen->resize(1000, 620);
        return *screen;
    }

    // Turns the page as the user does, with a click on its tab; whether the
    // page is shown then.
    bool turnPage(int page)
    {
        screen->show();
        QTabBar *bar = screen->PageControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
        return screen->PageControl1->currentIndex() == page;
    }

    void chooseConsignor(int index)
    {
        screen->cmbItakusya->setCurrentIndex(index);
        screen->cmbItakusyaClick();
    }

    std::unique_ptr<test::ScreenFixture> f;
    std::unique_ptr<TfrmFurikomiTesuuryou> screen;

private slots:
    void init()
    {
        f = std::make_unique<test::ScreenFixture>();
        f->data.addConsignor("0000000001", "ｺｳ", 1, 1, "みずほ銀行");
        f->data.addConsignor("0000000002", "ｵﾂ", 9, 5);
        // Listed by name: ｱ (9 その他), ｲ (4), ｳ (1).
        f->data.addRecipient("0000000001", 5, 12, "0000001", "ｳﾁﾀﾞ", 1, 30000, 1, "りそな銀行");
        f->data.addRecipient("0000000001", 6, 3, "0000002", "ｱｵｷ", 0, 0, 9);
        f->data.addRecipient("0000000001", 7, 4, "0000003", "ｲﾄｳ", 0, 1000, 4);
        // The same account under the other consignor.
        f->data.addRecipient("0000000002", 5, 12, "0000001", "ｳﾁﾀﾞ", 0, 0, 1);
    }

    void cleanup()
    {
        f->boxes.whileShown = nullptr; // it may hold a finished test's locals
        screen.reset();
        f.reset();
    }

    void printButtonOpensTheRecipientListOnceAndReusesIt()
    {
        TfrmFurikomiTesuuryou &s = open();
        s.actFurikomiPreview->trigger();
        QPointer<TBaseLRep> list = s.recipientList();
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("印刷プレビュー（受取人一覧）"));
        QCOMPARE(list->pageDisplayText(), QStringLiteral("1/1"));
        s.actFurikomiPreview->trigger();
        QCOMPARE(s.recipientList(), list.data());
        list->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!list);
        s.actFurikomiPreview->trigger();
        QVERIFY(s.recipientList());
    }

    void opensOnTheFirstConsignorWithItsRecipients()
    {
        TfrmFurikomiTesuuryou &s = open();
        QCOMPARE(s.cmbItakusya->count(), 2);
        QCOMPARE(s.cmbItakusya->currentIndex(), 0);
        QCOMPARE(s.cmbItakusya->shownText(0), "0000000001|ｺｳ");
        QCOMPARE(s.selectedConsignor(), "0000000001");
        QCOMPARE(s.PageControl1->currentIndex(), TfrmFurikomiTesuuryou::PageFurikomi);
        QVERIFY(s.btnFurikomiPrint->isEnabled());

        QCOMPARE(s.TabFurikomi->GridList->lineCount(), 3);
        QCOMPARE(s.TabFurikomi->GridList->cellText(0, 0), "ｱｵｷ");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 1), "0005");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 2), "012");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 3), "0000001");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 4), "1");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 5), "30000");
        for (int column : {1, 2, 3})
            QVERIFY(s.TabFurikomi->GridList->isColumnHidden(column));
        QCOMPARE(s.TabFurikomi->GridList->columnWidth(0), 250);
        QCOMPARE(s.TabFurikomi->GridList->currentLine(), -1);

        QCOMPARE(s.TabBank->lblBankCode->text(), "0001");
        QCOMPARE(s.TabBank->lblBankName->text(), "みずほ銀行");
        QCOMPARE(s.TabBank->lblSitenCode->text(), "001");
        QCOMPARE(s.TabBank->lblSitenName->text(), "ｼﾃﾝ");

        // Nothing is current yet: the first page's buttons do nothing.
        s.btnCancelClick();
        s.btnSaveClick();
        QVERIFY(f->boxes.empty());
    }

    void selectingARecipientShowsItsDetail()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        QCOMPARE(s.TabFurikomi->EditUketori->text(), "ｳﾁﾀﾞ");
        QCOMPARE(s.TabFurikomi->EditBankCode->text(), "0005");
        QCOMPARE(s.TabFurikomi->EditSitenCode->text(), "012");
        QCOMPARE(s.TabFurikomi->EditBankName->text(), "りそな銀行");
        QCOMPARE(s.TabFurikomi->EditSitenName->text(), "ﾎﾝﾃﾝ"); // blanks around the name go
        QCOMPARE(s.TabFurikomi->pnlYokin->text(), "普通");
        QCOMPARE(s.TabFurikomi->EditKouzaNo->text(), "0000001");
        QVERIFY(s.TabFurikomi->chkTesuuryou->isChecked());
        QVERIFY(s.TabFurikomi->EditTesuuryou->isEnabled());
        QCOMPARE(s.TabFurikomi->EditTesuuryou->value(), 30000);

        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(0));
        QCOMPARE(s.TabFurikomi->pnlYokin->text(), "その他");
        QCOMPARE(s.TabFurikomi->EditBankName->text(), "ﾐｽﾞﾎ");
        QVERIFY(!s.TabFurikomi->chkTesuuryou->isChecked());
        QVERIFY(!s.TabFurikomi->EditTesuuryou->isEnabled());
        QVERIFY2(s.TabFurikomi->EditTesuuryou->text().isEmpty(), "an amount of 0 shows empty");

        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
        QCOMPARE(s.TabFurikomi->pnlYokin->text(), "貯蓄"); // a savings account is named
        QCOMPARE(s.TabFurikomi->EditTesuuryou->value(), 1000);
        QVERIFY(f->boxes.empty());
    }

    void savingARecipientChangesOnlyThatConsignorsRow()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        s.TabFurikomi->chkTesuuryou->setChecked(false);
        QVERIFY(!s.TabFurikomi->EditTesuuryou->isEnabled());
        s.btnSaveClick();
        QVERIFY2(f->boxes.empty(), "saving shows no message");
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 0);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 30000);
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 4), "0");

        s.TabFurikomi->chkTesuuryou->setChecked(true);
        s.TabFurikomi->EditTesuuryou->setText("50000");
        s.btnSaveClick();
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 1);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 50000);
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 5), "50000");
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "委託者コード = '0000000002'"), 0);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000002'"), 0);
    }

    void savingARecipientThatIsGoneSaysSoAndKeepsTheEdit()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        f->data.db.exec("DELETE FROM M_受取人 WHERE 委託者コード = '0000000001' AND 口座番号 = '0000001'");
        s.TabFurikomi->chkTesuuryou->setChecked(false);
        s.btnSaveClick();
        QCOMPARE(f->boxes.count(), 1u); // nothing was written, so it is not shown as saved
        QCOMPARE(f->boxes.last().icon, MessageIcon::Error);
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 4), "1");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 5), "30000");
        // The edit is still pending: leaving the line asks again.
        f->boxes.answer(IdNo);
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(0));
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(f->boxes.last().text, kAskSave);
    }

    void aClickBelowTheLinesKeepsTheRecipientToSave()
    {
        TfrmFurikomiTesuuryou &s = open();
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
        s.TabFurikomi->chkTesuuryou->setChecked(true);
        QWidget *area = s.TabFurikomi->GridList->viewport();
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(20, area->height() - 5));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, QPoint(20, area->height() - 5));
        QCOMPARE(s.TabFurikomi->GridList->currentLine(), 1);
        s.btnSaveClick();
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 1);
        QCOMPARE(s.TabFurikomi->GridList->cellText(1, 4), "1");
    }

    void rowChangeAsksOnlyAfterAnEdit()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(0));
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
        QVERIFY(f->boxes.empty());

        s.TabFurikomi->chkTesuuryou->setChecked(true);
        f->boxes.answer(IdNo);
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskSave);
        QCOMPARE(f->boxes.last().title, "振込手数料");
        QCOMPARE(f->boxes.last().buttons, MessageButtons::YesNo);
        QCOMPARE(f->boxes.last().defaultButton, kDefaultButton1);
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 0);

        // はい saves the row being left.
        s.TabFurikomi->EditTesuuryou->setText("7000");
        f->boxes.answer(IdYes);
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 7000);
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 5), "7000");
        QCOMPARE(s.TabFurikomi->EditTesuuryou->value(), 1000);
    }

    void cancelRestoresTheRowsValuesAfterAsking()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        s.btnCancelClick();
        QVERIFY(f->boxes.empty());

        s.TabFurikomi->chkTesuuryou->setChecked(false);
        s.TabFurikomi->EditTesuuryou->setText("1");
        f->boxes.answer(IdNo);
        s.btnCancelClick();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskCancel);
        QCOMPARE(f->boxes.last().title, kAppTitle);
        QVERIFY(!s.TabFurikomi->chkTesuuryou->isChecked());

        f->boxes.answer(IdYes);
        s.btnCancelClick();
        QVERIFY(s.TabFurikomi->chkTesuuryou->isChecked());
        QCOMPARE(s.TabFurikomi->EditTesuuryou->value(), 30000);
        // Nothing left to ask about.
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(0));
        QCOMPARE(f->boxes.count(), 2u);
    }

    void pageChangeAsksOnlyAfterAnEdit()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageFurikomi));
        QVERIFY(f->boxes.empty());

        // A fee edited, then the other page: asked, はい saves the fee table.
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        s.TabBank->edtKingaku[telegraphicFeeColumn(0, 1)]->setText("111");
        f->boxes.answer(IdYes);
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageFurikomi));
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskSave);
        QCOMPARE(f->boxes.last().title, "振込手数料");
        QCOMPARE(f->data.value("M_銀行", "当銀行2未満電信手数料", "委託者コード = '0000000001'"), 111);

        // A recipient edited, then the other page: いいえ drops it, the page changes.
        s.TabFurikomi->EditTesuuryou->setText("8");
        f->boxes.answer(IdNo);
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(s.PageControl1->currentIndex(), TfrmFurikomiTesuuryou::PageBank);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 30000);
    }

    void anotherConsignorOnTheFeePageShowsItsTableAndAsksNothingMore()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        chooseConsignor(1);
        QVERIFY2(f->boxes.empty(), "no edits, no question");
        QCOMPARE(s.TabBank->lblBankCode->text(), "0009");
        QCOMPARE(s.TabBank->lblSitenCode->text(), "005");
        QCOMPARE(s.TabBank->lblBankName->text(), "ｷﾞﾝｺｳ");
        QCOMPARE(s.TabBank->edtKingaku[0]->value(), 10000);
        QCOMPARE(s.TabFurikomi->GridList->lineCount(), 1);
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageFurikomi));
        QVERIFY(f->boxes.empty());
    }

    void choosingAConsignorAsksAboutUnsavedEditsAsAPageChangeDoes()
    {
        TfrmFurikomiTesuuryou &s = open();
        // A fee edited, then another consignor: はい saves it for the consignor it was made for.
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        s.TabBank->edtKingaku[0]->setText("5");
        f->boxes.answer(IdYes);
        chooseConsignor(1);
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskSave);
        QCOMPARE(f->boxes.last().title, "振込手数料");
        QCOMPARE(f->data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000001'"), 5);
        QCOMPARE(f->data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000002'"), 10000);
        QCOMPARE(s.TabBank->lblBankCode->text(), "0009");
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageFurikomi));
        QCOMPARE(f->boxes.count(), 1u); // the new consignor's pages are unedited

        // A recipient edited, then the same consignor again: asked too; いいえ drops the edit.
        chooseConsignor(0);
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        s.TabFurikomi->EditTesuuryou->setText("8");
        f->boxes.answer(IdNo);
        chooseConsignor(0);
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(f->boxes.last().text, kAskSave);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 30000);
        QCOMPARE(s.TabFurikomi->GridList->currentLine(), -1);

        // はい saves the recipient under the consignor it belongs to, not the one chosen next.
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        s.TabFurikomi->EditTesuuryou->setText("9");
        f->boxes.answer(IdYes);
        chooseConsignor(1);
        QCOMPARE(f->boxes.count(), 3u);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001' AND 口座番号 = '0000001'"), 9);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000002'"), 0);
        QCOMPARE(s.TabFurikomi->GridList->lineCount(), 1);
    }

    void theGridShowsTheSavedAmountAtOnce()
    {
        TfrmFurikomiTesuuryou &s = open();
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2)); // ticked, 30,000
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
        s.TabFurikomi->GridList->viewport()->installEventFilter(&painted);
        s.TabFurikomi->chkTesuuryou->setChecked(false);
        s.btnSaveClick();
        QCoreApplication::processEvents();
        // The amount (now not shown beside the empty tick) is drawn again with the tick.
        const QModelIndex amount = s.TabFurikomi->GridList->model()->index(StripedGrid::rowOfLine(2), 5);
        QVERIFY(painted.region.contains(s.TabFurikomi->GridList->visualRect(amount)));
        s.TabFurikomi->GridList->viewport()->removeEventFilter(&painted);
    }

    void theReadOnlyDetailIsLegible()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(2));
        QVERIFY2(s.TabFurikomi->pnlBank->isEnabled(), "a disabled group draws grey on grey");
        for (QLineEdit *field : {s.TabFurikomi->EditUketori, s.TabFurikomi->EditBankCode, s.TabFurikomi->EditBankName, s.TabFurikomi->EditSitenCode, s.TabFurikomi->EditSitenName,
                                 s.TabFurikomi->EditKouzaNo}) {
            QVERIFY(field->isEnabled());
            QVERIFY(field->isReadOnly());
            QCOMPARE(field->focusPolicy(), Qt::NoFocus); // not in the tab order
            const QPalette pal = field->palette();
            const int text = pal.color(QPalette::Active, QPalette::Text).lightness();
            const int ground = pal.color(QPalette::Active, QPalette::Base).lightness();
            QVERIFY2(std::abs(text - ground) >= 150, qPrintable(field->objectName()));
        }
        QVERIFY(s.TabFurikomi->pnlYokin->isEnabled());
    }

    void feeTableRoundTripsAllTwentyFourColumns()
    {
        {
            TfrmFurikomiTesuuryou &s = open();
            QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
            for (int i = 0; i < kFeeColumnCount; ++i)
                s.TabBank->edtKingaku[i]->setText(QString::number(2000 + i * 7));
            s.TabBank->edtKingaku[20]->clear();
            s.btnSaveBankClick();
            QVERIFY(f->boxes.empty());
            for (int i = 0; i < kFeeColumnCount; ++i) {
                QVERIFY2(f->data.value("M_銀行", kFeeColumns[i], "委託者コード = '0000000001'")
                             == (i == 20 ? 0 : 2000 + i * 7),
                         kFeeColumns[i]);
            }
            QCOMPARE(f->data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000002'"), 10000);
        }
        TfrmFurikomiTesuuryou &s = open();
        for (int i = 0; i < kFeeColumnCount; ++i)
            QVERIFY2(s.TabBank->edtKingaku[i]->value() == (i == 20 ? 0 : 2000 + i * 7),
                     qPrintable(s.TabBank->edtKingaku[i]->objectName()));
        QCOMPARE(s.TabBank->edtKingaku[1]->objectName(), "edtKingaku_2");
        QCOMPARE(s.TabBank->edtKingaku[telegraphicFeeColumn(2, 2)]->objectName(), "edtKingaku_9_Den");
        QCOMPARE(s.TabBank->edtKingaku[documentFeeColumn(0, 0)]->objectName(), "edtKingaku_1_Bun");
        QCOMPARE(s.TabBank->edtKingaku[bandLimitColumn(1, 0)]->objectName(), "edtKingaku_3");
        // The lower bounds follow the stored limits.
        QCOMPARE(s.TabBank->lblKingaku[0]->text(), "2,000 円以上");
        QCOMPARE(s.TabBank->lblKingaku[5]->text(), "2,119 円以上"); // 他銀行2未満
    }

    void tabWalksTheFeeTableLineByLine()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        // Each line as it stands on the page: its band limit (lines 1 and 2 of
        // a group), its telegraphic fee, its document fee.
        QList<QWidget *> expected;
        for (int group = 0; group < 3; ++group) {
            for (int line = 0; line < 3; ++line) {
                if (line < 2)
                    expected << s.TabBank->edtKingaku[bandLimitColumn(group, line)];
                expected << s.TabBank->edtKingaku[telegraphicFeeColumn(group, line)] << s.TabBank->edtKingaku[documentFeeColumn(group, line)];
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
        QCOMPARE(names.join(' ').toStdString(), want.join(' ').toStdString());
        // After the last fee, Tab goes on to 登録.
        QWidget *after = expected.last()->nextInFocusChain();
        while (after != expected.first() && !(after->focusPolicy() & Qt::TabFocus))
            after = after->nextInFocusChain();
        QCOMPARE(after, s.TabBank->btnSaveBank);
    }

    void bandLabelsFollowTheirLimitsAndCancelReloads()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        QCOMPARE(s.TabBank->lblKingaku[0]->text(), "10,000 円以上");
        QCOMPARE(s.TabBank->lblKingaku[1]->text(), "30,000 円以上");
        s.TabBank->edtKingaku[1]->setText("50000");
        emit s.TabBank->edtKingaku[1]->editingFinished();
        QCOMPARE(s.TabBank->lblKingaku[1]->text(), "50,000 円以上");
        s.TabBank->edtKingaku[bandLimitColumn(1, 1)]->setText("45000");
        emit s.TabBank->edtKingaku[bandLimitColumn(1, 1)]->editingFinished();
        QCOMPARE(s.TabBank->lblKingaku[3]->text(), "45,000 円以上");
        s.TabBank->edtKingaku[bandLimitColumn(1, 1)]->clear();
        emit s.TabBank->edtKingaku[bandLimitColumn(1, 1)]->editingFinished();
        QCOMPARE(s.TabBank->lblKingaku[3]->text(), "45,000 円以上"); // an empty entry leaves the label

        f->boxes.answer(IdYes);
        s.btnCancelBankClick();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskCancel);
        QCOMPARE(s.TabBank->edtKingaku[1]->value(), 30000);
        QCOMPARE(s.TabBank->lblKingaku[1]->text(), "30,000 円以上");
        QCOMPARE(s.TabBank->lblKingaku[3]->text(), "30,000 円以上");
        s.btnCancelBankClick();
        QCOMPARE(f->boxes.count(), 1u);
    }

    void menuAfterAnEditAsksWhileTheMenuIsShown()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
        s.TabFurikomi->chkTesuuryou->setChecked(true);
        size_t screensAskedForBeforeTheQuestion = 0;
        f->boxes.whileShown = [&] { screensAskedForBeforeTheQuestion = f->shownScreens.size(); };
        f->boxes.answer(IdYes);
        s.btnMenu->click();
        QCOMPARE(f->shownScreens, std::vector<uint8_t>{ScreenMenu});
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskSaveAndLeave);
        QCOMPARE(f->boxes.last().title, "振込手数料");
        QCOMPARE(screensAskedForBeforeTheQuestion, 1u); // the menu was asked for before the question
        QVERIFY(s.isClosing());
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 1);
    }

    void theLeftScreenLivesUntilItsQuestionIsAnswered()
    {
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
        s.TabFurikomi->chkTesuuryou->setChecked(true);
        // The screen as the main window holds it: deleted only by its own leave.
        QPointer<TfrmFurikomiTesuuryou> held(screen.release());
        bool aliveWhileAsked = false;
        f->boxes.whileShown = [&] {
            // A real question box runs an event loop of its own until answered.
            QEventLoop box;
            QTimer::singleShot(20, &box, &QEventLoop::quit);
            box.exec();
            aliveWhileAsked = !held.isNull();
        };
        f->boxes.answer(IdYes);
        // "メニュー" pressed while the application's event loop runs.
        QEventLoop app;
        QTimer::singleShot(0, &app, [&] {
            held->btnMenu->click();
            app.quit();
        });
        app.exec();
        f->boxes.whileShown = nullptr;
        QCOMPARE(f->boxes.count(), 1u);
        QVERIFY(aliveWhileAsked);
        QCOMPARE(f->data.value("M_受取人", "手数料区分", "口座番号 = '0000003'"), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        delete held.data();
    }

    void menuWithoutEditsAsksNothingAndNoDropsTheFeeEdits()
    {
        {
            TfrmFurikomiTesuuryou &s = open();
            QVERIFY(s.TabFurikomi->GridList->setCurrentLine(1));
            s.btnMenu->click();
            QVERIFY(f->boxes.empty());
        }
        TfrmFurikomiTesuuryou &s = open();
        QVERIFY(turnPage(TfrmFurikomiTesuuryou::PageBank));
        s.TabBank->edtKingaku[0]->setText("1");
        f->boxes.answer(IdNo);
        s.btnMenu->click();
        QCOMPARE(f->boxes.count(), 1u);
        QCOMPARE(f->boxes.last().text, kAskSaveAndLeave);
        QCOMPARE(f->data.value("M_銀行", "当銀行1未満", "委託者コード = '0000000001'"), 10000);
    }

    void bulkSettingUpdatesTheConsignorAndReloadsOnlyAfterOk()
    {
        TfrmFurikomiTesuuryou &s = open();
        bool checkedInitially = true;
        bool enabledInitially = false;
        // What いいえ left: the dialog still open, and the recipient as it was.
        int resultAfterNo = -1;
        int64_t amountAfterNo = -1;
        int64_t categoryAfterNo = -1;
        s.execDialog = [&](QDialog &dialog) {
            auto &bulk = static_cast<TfrmFurikomiTesuuryouAll &>(dialog);
            checkedInitially = bulk.chkTesuuryou->isChecked();
            enabledInitially = bulk.EditTesuuryou->isEnabled();
            bulk.EditTesuuryou->setText("5000");
            f->boxes.answer(IdNo);
            bulk.btnStartClick();
            resultAfterNo = dialog.result();
            amountAfterNo = f->data.value("M_受取人", "手数料金額", "口座番号 = '0000001' AND 委託者コード = '0000000001'");
            categoryAfterNo = f->data.value("M_受取人", "手数料区分", "口座番号 = '0000001' AND 委託者コード = '0000000001'");
            f->boxes.answer(IdYes);
            bulk.btnStartClick();
            return dialog.result();
        };
        s.btnTesuuryouAllClick();
        QVERIFY(!checkedInitially);
        QVERIFY(enabledInitially);
        QCOMPARE(resultAfterNo, int(QDialog::Rejected));
        QCOMPARE(amountAfterNo, 30000);
        QCOMPARE(categoryAfterNo, 1);
        QCOMPARE(f->boxes.count(), 3u);
        QCOMPARE(f->boxes.shown()[0].text, "設定された内容で登録します。\n\rよろしいですか？");
        QCOMPARE(f->boxes.shown()[0].title, "振込手数料一括登録");
        QCOMPARE(f->boxes.shown()[0].defaultButton, kDefaultButton2);
        QCOMPARE(f->boxes.shown()[2].text, "設定された内容で登録しました。");
        QCOMPARE(f->boxes.shown()[2].icon, MessageIcon::Information);
        QCOMPARE(f->data.value("M_受取人", "COUNT(*)", "委託者コード = '0000000001' AND 手数料区分 = 0 AND 手数料金額 = 5000"), 3);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000002'"), 0);
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 4), "0");
        QCOMPARE(s.TabFurikomi->GridList->cellText(2, 5), "5000");

        // Cancel: nothing written, the list is not reloaded.
        s.TabFurikomi->GridList->setCellText(0, 5, "marker");
        s.execDialog = [&](QDialog &dialog) {
            auto &bulk = static_cast<TfrmFurikomiTesuuryouAll &>(dialog);
            bulk.chkTesuuryou->click();
            bulk.btnCancel->click();
            return dialog.result();
        };
        s.btnTesuuryouAllClick();
        QCOMPARE(s.TabFurikomi->GridList->cellText(0, 5), "marker");
        QCOMPARE(f->boxes.count(), 3u);
        QCOMPARE(f->dm().backups().list().size(), 1u); // one backup, before the one update
    }

    void bulkSettingWithoutABackupChangesNothing()
    {
        TfrmFurikomiTesuuryou &s = open();
        test::writeBytes(f->dm().backups().folder(), "a file where the backup folder belongs");
        s.execDialog = [&](QDialog &dialog) {
            auto &bulk = static_cast<TfrmFurikomiTesuuryouAll &>(dialog);
            bulk.EditTesuuryou->setText("5000");
            f->boxes.answer(IdYes);
            bulk.btnStartClick();
            return dialog.result();
        };
        s.btnTesuuryouAllClick();
        QCOMPARE(f->boxes.count(), 2u);
        QCOMPARE(f->boxes.last().text.rfind("バックアップを作成できないため、登録を中止しました。\n\r", 0), 0u);
        QCOMPARE(f->boxes.last().icon, MessageIcon::Error);
        QCOMPARE(f->data.value("M_受取人", "COUNT(*)", "手数料金額 = 5000"), 0);
    }

    void withoutConsignorsEverythingIsEmptyAndNothingIsWritten()
    {
        test::ScreenFixture empty; // none of the consignors of init()
        empty.data.addRecipient("0000000009", 5, 1, "1", "ｲﾁ", 1, 100);
        TfrmFurikomiTesuuryou s(empty.context(), nullptr);
        QCOMPARE(s.cmbItakusya->count(), 0);
        QCOMPARE(s.selectedConsignor(), "");
        QCOMPARE(s.TabFurikomi->GridList->lineCount(), 0);
        QVERIFY(s.TabBank->lblBankCode->text().isEmpty());
        QVERIFY(s.TabBank->edtKingaku[0]->text().isEmpty());
        QVERIFY(!s.btnTesuuryouAll->isEnabled());
        s.TabBank->edtKingaku[0]->setText("5");
        s.btnSaveBankClick();
        s.btnSaveClick();
        s.btnCancelClick();
        QVERIFY(empty.boxes.empty());
        QCOMPARE(empty.data.count("M_銀行"), 0);
        QCOMPARE(empty.data.value("M_受取人", "手数料金額", "1 = 1"), 100);
    }
};

QObject *createFurikomiTesuuryouTest() { return new FurikomiTesuuryouTest; }

#include "furikomitesuuryou_test.moc"
