// Behaviour of the control kit that screens rely on.

#include "support/scriptedmessageboxes.h"
#include "widgets/filedialogs.h"
#include "widgets/focusring.h"
#include "widgets/gradientbutton.h"
#include "widgets/monthcalendar.h"
#include "widgets/japanesefonts.h"
#include "widgets/keyeditems.h"
#include "widgets/keyedlists.h"
#include "widgets/messageboxes.h"
#include "widgets/numericedit.h"
#include "widgets/pagecontrol.h"
#include "widgets/stripedgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QToolButton>
#include <QHBoxLayout>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QMouseEvent>
#include <QTabBar>
#include <QTemporaryDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

using namespace pelanova;

class WidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void itemTokensSplitOnTheFirstTab();
    void numericEntryReadsEmptyAndJunkAsZero();
    void numericEntryKeepsGroupedTextStableWhenSetOrTyped();
    void numericEntryRefusesLettersAndTooManyDigits();
    void numericEntryShowsButtonFaceWhenDisabled();
    void gridKeepsPlaceholderRowBelowCaptions();
    void gridRefusalKeepsSelectionForKeysMouseAndCode();
    void gridStillMovesAfterReceiverThrew();
    void gridKeepsTheSelectedLineOnCtrlClickAndSpace();
    void gridSelectsTheLineADragEndsOn();
    void gridDrawsSelectedLineGreenAndStripes();
    void gridPlaceholderAndCaptionRowCannotBeSelected();
    void gridStripePhaseShownTextAndCheckMarks();
    void keyedComboShowsChosenPartAndReadsKey();
    void keyedListBoxReadsKey();
    void scriptedBoxesRecordAndTakeDefaultWhenUnscripted();
    void qtBoxHasJapaneseButtonsDefaultAndOneLineBreak_data();
    void qtBoxHasJapaneseButtonsDefaultAndOneLineBreak();
    void fileFilterPairsAreParsed();
    void fileDialogOffersOnlyMatchingFilesWithoutRegardToCase();
    void pageControlAsksBeforeTheUserChangesPage();
    void gridDrawsTheWholeLineOfAChangedCell();
    void enterPressesTheFocusedButton();
    void focusIsVisibleOnButtonsAndLists();
    void calendarHeaderReadsYearThenMonth();
};

void WidgetsTest::itemTokensSplitOnTheFirstTab()
{
    QCOMPARE(itemToken(QStringLiteral("0001\t東京"), 0), QStringLiteral("0001"));
    QCOMPARE(itemToken(QStringLiteral("0001\t東京"), 1), QStringLiteral("東京"));
    QCOMPARE(itemToken(QStringLiteral("a\tb"), 2), QString());
    QCOMPARE(itemToken(QString(), 0), QString());
    QCOMPARE(itemTextTabAsBar(QStringLiteral("0001\t東京\tx")), QStringLiteral("0001|東京\tx"));
}

void WidgetsTest::numericEntryReadsEmptyAndJunkAsZero()
{
    NumericEdit edit;
    QCOMPARE(edit.value(), 0);
    edit.setText(QStringLiteral("abc"));
    QCOMPARE(edit.value(), 0);
    edit.setText(QStringLiteral("12a"));
    QCOMPARE(edit.value(), 0);
    edit.setText(QStringLiteral("  250 "));
    QCOMPARE(edit.value(), 250);
    edit.setText(QStringLiteral("1,234"));
    QCOMPARE(edit.value(), 1234);
    edit.setText(QStringLiteral("1234567890123456789")); // beyond any amount
    QCOMPARE(edit.value(), 0);
    edit.setValue(-5);
    QCOMPARE(edit.text(), QStringLiteral("0"));
}

void WidgetsTest::numericEntryKeepsGroupedTextStableWhenSetOrTyped()
{
    NumericEdit plain;
    plain.setText(QStringLiteral("0012"));
    QCOMPARE(plain.text(), QStringLiteral("0012")); // no grouping: as given
    QCOMPARE(plain.value(), 12);

    NumericEdit edit;
    edit.setDigitGrouping(true);
    edit.setText(QStringLiteral("1234567"));
    QCOMPARE(edit.text(), QStringLiteral("1,234,567"));
    edit.setValue(1000);
    QCOMPARE(edit.text(), QStringLiteral("1,000"));
    edit.setText(QString());
    QCOMPARE(edit.text(), QString());
    QCOMPARE(edit.value(), 0);
    edit.setText(QStringLiteral("0"));
    QCOMPARE(edit.text(), QStringLiteral("0"));

    edit.show();
    edit.setFocus();
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("30000"));
    QCOMPARE(edit.text(), QStringLiteral("30,000"));
    QCOMPARE(edit.cursorPosition(), 6);
    // Typing in the middle keeps the cursor behind the same digit.
    edit.setCursorPosition(1); // after "3"
    QTest::keyClicks(&edit, QStringLiteral("1"));
    QCOMPARE(edit.text(), QStringLiteral("310,000"));
    QCOMPARE(edit.value(), 310000);
    QCOMPARE(edit.cursorPosition(), 2);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("30,000"));

    // Switching grouping off leaves the plain digits.
    edit.setDigitGrouping(false);
    QCOMPARE(edit.text(), QStringLiteral("30000"));
}

void WidgetsTest::numericEntryRefusesLettersAndTooManyDigits()
{
    NumericEdit edit;
    edit.setMaxDigits(4);
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("1a2-3.457"));
    QCOMPARE(edit.text(), QStringLiteral("1234"));
    QVERIFY(!edit.testAttribute(Qt::WA_InputMethodEnabled));
}

void WidgetsTest::numericEntryShowsButtonFaceWhenDisabled()
{
    NumericEdit edit;
    const QPalette standard;
    QCOMPARE(edit.palette().color(QPalette::Base), standard.color(QPalette::Base));
    edit.setEnabled(false);
    QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Base), standard.color(QPalette::Button));
    edit.setEnabled(true);
    QCOMPARE(edit.palette().color(QPalette::Active, QPalette::Base), standard.color(QPalette::Base));
}

static void fillGrid(StripedGrid &grid, int lines)
{
    grid.setColumns({{QStringLiteral("施設コード"), 64, Qt::AlignLeft, false},
                     {QStringLiteral("キー"), 40, Qt::AlignLeft, true},
                     {QStringLiteral("金額"), 90, Qt::AlignRight, false}});
    for (int i = 0; i < lines; ++i)
        grid.addLine({QString::number(i + 1), QStringLiteral("k%1").arg(i), QString::number((i + 1) * 1000)});
}

void WidgetsTest::gridKeepsPlaceholderRowBelowCaptions()
{
    StripedGrid grid;
    QCOMPARE(grid.lineCount(), 0);
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.currentLine(), -1);
    fillGrid(grid, 3);
    QCOMPARE(grid.lineCount(), 3);
    QCOMPARE(grid.rowCount(), 4);
    QVERIFY(grid.isRowHidden(0));
    QCOMPARE(grid.cellText(0, 0), QStringLiteral("1"));
    QCOMPARE(grid.cellText(2, 2), QStringLiteral("3000"));
    QCOMPARE(grid.cellText(1, 1), QStringLiteral("k1")); // hidden columns keep their text
    QVERIFY(grid.isColumnHidden(1));
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("金額"));
    QVERIFY(grid.setCurrentLine(2));
    grid.clearLines();
    QCOMPARE(grid.lineCount(), 0);
    QCOMPARE(grid.rowCount(), 1);
    QVERIFY(grid.isRowHidden(0));
    QCOMPARE(grid.currentLine(), -1);
    fillGrid(grid, 1);
    QCOMPARE(grid.lineCount(), 1);
}

void WidgetsTest::gridRefusalKeepsSelectionForKeysMouseAndCode()
{
    StripedGrid grid;
    fillGrid(grid, 4);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    bool allow = true;
    QList<int> asked;
    grid.setMoveQuestion([&](int line) {
        asked << line;
        return allow;
    });
    QVERIFY(grid.setCurrentLine(1));
    QCOMPARE(asked, QList<int>{1});
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 1);

    allow = false;
    QVERIFY(!grid.setCurrentLine(3));
    QCOMPARE(grid.currentLine(), 1);

    grid.setFocus();
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.currentLine(), 1);

    const QRect cell = grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(2), 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid.currentLine(), 1);
    const QModelIndexList selected = grid.selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), StripedGrid::rowOfLine(1));

    // Moving within the selected line asks nothing.
    asked.clear();
    const QRect same = grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(1), 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, same.center());
    QVERIFY(asked.isEmpty());

    allow = true;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid.currentLine(), 2);
    QCOMPARE(grid.selectionModel()->selectedRows().first().row(), StripedGrid::rowOfLine(2));
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.currentLine(), 1);
    QTest::keyClick(&grid, Qt::Key_Up); // the placeholder is never reached
    QCOMPARE(grid.currentLine(), 0);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.currentLine(), 0);

    // A receiver may reload the grid while it is asked (after saving).
    bool reloaded = false;
    grid.setMoveQuestion([&](int) {
        if (reloaded)
            return true;
        reloaded = true;
        grid.clearLines();
        fillGrid(grid, 4);
        grid.setCurrentLine(0);
        return true;
    });
    QVERIFY(!grid.setCurrentLine(3)); // the line asked for went with the reload
    QVERIFY(reloaded);
    QCOMPARE(grid.lineCount(), 4);
    QCOMPARE(grid.currentLine(), 0);
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 1);
}

void WidgetsTest::gridStillMovesAfterReceiverThrew()
{
    StripedGrid grid;
    fillGrid(grid, 4);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QVERIFY(grid.setCurrentLine(0));

    // A question's error (a refused statement while saving) refuses that move
    // only, by code, key or mouse, and never reaches the item view; the grid
    // stays where it was and takes the next move.
    bool fail = true;
    int asked = 0;
    grid.setMoveQuestion([&](int) {
        ++asked;
        if (fail)
            throw std::runtime_error("database is locked");
        return true;
    });
    QVERIFY(!grid.setCurrentLine(2));
    QCOMPARE(grid.currentLine(), 0);
    fail = false;
    QVERIFY(grid.setCurrentLine(2));
    QCOMPARE(grid.currentLine(), 2);

    grid.setFocus();
    fail = true;
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.currentLine(), 2);
    fail = false;
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.currentLine(), 3);

    const QRect cell = grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(1), 0));
    fail = true;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid.currentLine(), 3);
    fail = false;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid.currentLine(), 1);
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 1);
    QCOMPARE(asked, 6);
}

void WidgetsTest::gridKeepsTheSelectedLineOnCtrlClickAndSpace()
{
    StripedGrid grid;
    fillGrid(grid, 3);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setFocus();
    QVERIFY(grid.setCurrentLine(1));
    // The selected line is the one the screen works on: the user can move
    // it, never take it away.
    const QRect cell = grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(1), 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    QCOMPARE(grid.currentLine(), 1);
    QTest::keyClick(&grid, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(grid.currentLine(), 1);
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 1);
    // Nor does a click on the empty area below the lines.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, grid.viewport()->height() - 5));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(20, grid.viewport()->height() - 5));
    QCOMPARE(grid.currentLine(), 1);
    // The grid itself still clears it.
    QVERIFY(grid.setCurrentLine(-1));
    QCOMPARE(grid.currentLine(), -1);
    grid.clearLines();
    QCOMPARE(grid.currentLine(), -1);
}

void WidgetsTest::gridSelectsTheLineADragEndsOn()
{
    StripedGrid grid;
    fillGrid(grid, 4);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setFocus();
    QList<int> asked;
    grid.setMoveQuestion([&](int line) {
        asked << line;
        return true;
    });
    auto centre = [&](int line) { return grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(line), 0)).center(); };
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, centre(0));
    QCOMPARE(grid.currentLine(), 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(centre(2)), grid.viewport()->mapToGlobal(QPointF(centre(2))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, centre(2));
    // Where the current row went, the selection went too: the line asked
    // about is the line the screen works on.
    QCOMPARE(asked, (QList<int>{0, 2}));
    QCOMPARE(grid.currentLine(), 2);
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 1);
}

void WidgetsTest::gridDrawsSelectedLineGreenAndStripes()
{
    StripedGrid grid;
    grid.setShowGrid(false);
    fillGrid(grid, 3);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setCurrentLine(1);
    const QImage image = grid.viewport()->grab().toImage();
    auto pixelAt = [&](int line) {
        const QRect r = grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(line), 0));
        return image.pixelColor(r.right() - 3, r.top() + 2);
    };
    QCOMPARE(pixelAt(0), QColor(0xD7, 0xE0, 0xEC));
    QCOMPARE(pixelAt(1), QColor(0, 0x80, 0));
    QCOMPARE(pixelAt(2), QColor(0xD7, 0xE0, 0xEC));

    // A screen's own drawing takes over the cells it draws.
    int painted = 0;
    grid.setCellPainter([&](QPainter &p, const QRect &r, int line, int column, bool selected) {
        if (!(selected && column == 0))
            return false;
        ++painted;
        Q_UNUSED(line);
        p.fillRect(r, Qt::white);
        return true;
    });
    const QImage custom = grid.viewport()->grab().toImage();
    const QRect r = grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(1), 0));
    QVERIFY(painted > 0);
    QCOMPARE(custom.pixelColor(r.right() - 3, r.top() + 2), QColor(Qt::white));
}

void WidgetsTest::gridPlaceholderAndCaptionRowCannotBeSelected()
{
    StripedGrid grid;
    fillGrid(grid, 2);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.selectionModel()->setCurrentIndex(grid.model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCOMPARE(grid.currentLine(), -1);
    QVERIFY(grid.selectionModel()->selectedRows().isEmpty());
    // A click on the caption row selects nothing either.
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(grid.currentLine(), -1);
    QVERIFY(!grid.setCurrentLine(5));
}

void WidgetsTest::gridStripePhaseShownTextAndCheckMarks()
{
    // A fee category as a tick, and an amount shown only beside a tick.
    StripedGrid grid;
    grid.setShowGrid(false);
    grid.setColumns({{QStringLiteral("名"), 60, Qt::AlignLeft, false},
                     {QStringLiteral("区分"), 24, Qt::AlignHCenter, false, true},
                     {QStringLiteral("金額"), 90, Qt::AlignRight, false}});
    grid.setShownText([&grid](int line, int column) {
        const QString text = grid.cellText(line, column);
        return column == 2 && grid.cellText(line, 1) == QLatin1String("0") ? QString() : text;
    });
    grid.setStripePhase(1);
    // Lines 0, 2, 4 white; 1, 3 striped.
    const QStringList ticks{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("2"), QString(),
                            QStringLiteral("0")};
    for (const QString &tick : ticks)
        grid.addLine({QStringLiteral("ｱ"), tick, QStringLiteral("5000")});
    QCOMPARE(grid.cellText(1, 2), QStringLiteral("5000"));
    QCOMPARE(grid.shownText(1, 2), QString());
    QCOMPARE(grid.model()->index(StripedGrid::rowOfLine(1), 2).data().toString(), QString());
    QCOMPARE(grid.model()->index(StripedGrid::rowOfLine(0), 2).data().toString(), QStringLiteral("5000"));

    grid.setFocusPolicy(Qt::NoFocus); // no focus ring over the first line
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const QImage image = grid.viewport()->grab().toImage();
    const QColor white = grid.palette().color(QPalette::Active, QPalette::Base);
    auto cell = [&](int line, int column) {
        return image.copy(grid.visualRect(grid.model()->index(StripedGrid::rowOfLine(line), column)));
    };
    auto only = [](const QImage &picture, const QColor &colour) {
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelColor(x, y) != colour)
                    return false;
        return true;
    };
    QCOMPARE(cell(0, 0).pixelColor(1, 1), white);
    QCOMPARE(cell(1, 0).pixelColor(1, 1), grid.stripeColour());

    // The amount beside a clear tick is not drawn.
    QVERIFY(only(cell(1, 2), grid.stripeColour()));
    QVERIFY(only(cell(4, 2), white));
    QVERIFY(!only(cell(0, 2), white));

    // The tick column draws a mark, not its text: "1" and "2" look alike, an
    // empty cell is clear as "0" is, and a clear mark still shows its box.
    QCOMPARE(cell(0, 1), cell(2, 1));
    QCOMPARE(cell(1, 1), cell(3, 1));
    QVERIFY(cell(0, 1) != cell(4, 1));
    QVERIFY(!only(cell(4, 1), white));
}

void WidgetsTest::keyedComboShowsChosenPartAndReadsKey()
{
    KeyedComboBox combo;
    combo.addKeyedItem(QStringLiteral("0001\t本社"));
    combo.addKeyedItem(QStringLiteral("-1\t全施設集計"));
    QCOMPARE(combo.itemText(0), QStringLiteral("0001\t本社"));
    QCOMPARE(combo.shownText(0).value(), QStringLiteral("本社"));
    QCOMPARE(combo.key(1), QStringLiteral("-1"));
    combo.setCurrentIndex(1);
    QCOMPARE(combo.currentKey(), QStringLiteral("-1"));

    combo.setShownText(shownTabAsBar());
    QCOMPARE(combo.shownText(0).value(), QStringLiteral("0001|本社"));

    // A date list: the key as 2008年1月15日, undrawable when it is no number.
    KeyedComboBox dates;
    dates.setShownText([](const QString &item) -> std::optional<QString> {
        bool ok = false;
        const int key = itemToken(item, 0).toInt(&ok);
        if (!ok)
            return std::nullopt;
        return QStringLiteral("%1年%2月%3日").arg(key / 10000).arg(key / 100 % 100).arg(key % 100);
    });
    dates.addKeyedItem(QStringLiteral("20080115\t3"));
    dates.addKeyedItem(QStringLiteral("x\t1"));
    QCOMPARE(dates.shownText(0).value(), QStringLiteral("2008年1月15日"));
    QVERIFY(!dates.shownText(1).has_value());
    QCOMPARE(dates.currentKey(), QStringLiteral("20080115"));
    QCOMPARE(dates.view()->sizeHintForRow(0), 16);

    KeyedComboBox empty;
    QCOMPARE(empty.currentKey(), QString());
    QVERIFY(!empty.shownText(0).has_value());
}

void WidgetsTest::keyedListBoxReadsKey()
{
    KeyedListBox list;
    list.addKeyedItem(QStringLiteral("3\t第三施設"));
    list.addKeyedItem(QStringLiteral("12\t第十二施設"));
    QCOMPARE(list.currentKey(), QString());
    list.setCurrentRow(1);
    QCOMPARE(list.currentKey(), QStringLiteral("12"));
    QCOMPARE(list.shownText(0).value(), QStringLiteral("第三施設"));
    list.setItemHeight(18);
    QCOMPARE(list.sizeHintForRow(0), 18);
}

void WidgetsTest::scriptedBoxesRecordAndTakeDefaultWhenUnscripted()
{
    QCOMPARE(defaultButtonResult(MessageButtons::YesNo, kDefaultButton2), int(IdNo));
    QCOMPARE(defaultButtonResult(MessageButtons::YesNo, kDefaultButton1), int(IdYes));
    QCOMPARE(defaultButtonResult(MessageButtons::YesNoCancel, kDefaultButton3), int(IdCancel));
    QCOMPARE(defaultButtonResult(MessageButtons::AbortRetryIgnore, kDefaultButton2), int(IdRetry));
    QCOMPARE(defaultButtonResult(MessageButtons::Ok, kDefaultButton3), int(IdOk));

    test::ScriptedMessageBoxes boxes;
    boxes.answer(IdYes);
    QCOMPARE(boxes.messageBox("a", "t", MessageIcon::Question, MessageButtons::YesNo, kDefaultButton2), int(IdYes));
    QCOMPARE(boxes.messageBox("b", "t", MessageIcon::Question, MessageButtons::YesNo, kDefaultButton2), int(IdNo));
    QCOMPARE(boxes.count(), size_t(2));
    QCOMPARE(boxes.unscripted(), 1);
    QCOMPARE(boxes.last().text, std::string("b"));
}

void WidgetsTest::qtBoxHasJapaneseButtonsDefaultAndOneLineBreak_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("selector");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("enterResult");
    QTest::addColumn<int>("escapeResult");
    QTest::newRow("ok") << int(MessageButtons::Ok) << 0 << QStringList{"OK"} << int(IdOk) << int(IdOk);
    QTest::newRow("yesno default no") << int(MessageButtons::YesNo) << 256 << QStringList{"はい", "いいえ"}
                                      << int(IdNo) << int(IdNo);
    QTest::newRow("yesno default yes") << int(MessageButtons::YesNo) << 0 << QStringList{"はい", "いいえ"}
                                       << int(IdYes) << int(IdNo);
    QTest::newRow("yesnocancel") << int(MessageButtons::YesNoCancel) << 512
                                 << QStringList{"はい", "いいえ", "キャンセル"} << int(IdCancel) << int(IdCancel);
    QTest::newRow("abortretryignore") << int(MessageButtons::AbortRetryIgnore) << 256
                                      << QStringList{"中止", "再試行", "無視"} << int(IdRetry) << int(IdAbort);
}

void WidgetsTest::qtBoxHasJapaneseButtonsDefaultAndOneLineBreak()
{
    QFETCH(int, buttons);
    QFETCH(int, selector);
    QFETCH(QStringList, texts);
    QFETCH(int, enterResult);
    QFETCH(int, escapeResult);

    QtMessageBoxes boxes;
    for (const bool enter : {true, false}) {
        QString seenText;
        QString seenTitle;
        QStringList seenButtons;
        QString seenDefault;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            seenText = box->text();
            seenTitle = box->windowTitle();
            const QList<QAbstractButton *> list = box->buttons();
            for (QAbstractButton *b : list)
                seenButtons << b->text();
            seenDefault = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, enter ? Qt::Key_Return : Qt::Key_Escape);
        });
        const int result = boxes.messageBox("一行目\n\r二行目", kAppTitle, MessageIcon::Question,
                                            MessageButtons(buttons), selector);
        QCOMPARE(result, enter ? enterResult : escapeResult);
        QCOMPARE(seenText, QStringLiteral("一行目\n二行目"));
        QCOMPARE(seenTitle, QString::fromUtf8(kAppTitle));
        seenButtons.sort();
        QStringList expected = texts;
        expected.sort();
        QCOMPARE(seenButtons, expected);
        QCOMPARE(seenDefault, texts.at(selector / 256));
    }
}

void WidgetsTest::fileFilterPairsAreParsed()
{
    const std::vector<FileFilter> f = parseFileFilter(QStringLiteral("振込データ(FB*.txt)|FB*.txt"));
    QCOMPARE(f.size(), size_t(1));
    QCOMPARE(f[0].description, QStringLiteral("振込データ(FB*.txt)"));
    QCOMPARE(f[0].patterns, QStringList{QStringLiteral("FB*.txt")});
    const std::vector<FileFilter> two = parseFileFilter(QStringLiteral("a|*.a;*.b|銀行データ|銀行マスタ.mdb"));
    QCOMPARE(two.size(), size_t(2));
    QCOMPARE(two[0].patterns, (QStringList{"*.a", "*.b"}));
    QCOMPARE(two[1].patterns, QStringList{QStringLiteral("銀行マスタ.mdb")});

    ScriptedFileDialogs dialogs;
    dialogs.answer(QStringLiteral("/tmp/FB0115.TXT"));
    QCOMPARE(dialogs.getOpenFileName(nullptr, "c", "/tmp", "x|*.txt"), QStringLiteral("/tmp/FB0115.TXT"));
    QCOMPARE(dialogs.getSaveFileName(nullptr, "c", "/tmp", "x|*.txt"), QString());
    QCOMPARE(dialogs.calls().size(), size_t(2));
    QCOMPARE(dialogs.calls()[1].kind, ScriptedFileDialogs::Kind::Save);
}

void WidgetsTest::fileDialogOffersOnlyMatchingFilesWithoutRegardToCase()
{
    QTemporaryDir dir;
    for (const char *name : {"FB0115.TXT", "fb0116.txt", "Fb0117.Txt", "XX0115.txt", "FB0115.dat", "銀行マスタ.mdb",
                             "A B0115.txt", "A.txt", "B0115.txt"}) {
        QFile f(QDir(dir.path()).filePath(QString::fromUtf8(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // The files the dialog lists and the filter descriptions it shows.
    struct Offer
    {
        QStringList files;
        QStringList filters;
    };
    auto offered = [&](const QString &filter) {
        Offer offer;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
            QVERIFY(view);
            auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) > 0);
            QTest::qWait(50);
            for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
                offer.files << view->model()->index(r, 0, view->rootIndex()).data().toString();
            for (int i = 0; i < types->count(); ++i)
                offer.filters << types->itemText(i);
            dialog->reject();
        });
        QtFileDialogs dialogs;
        const QString chosen = dialogs.getOpenFileName(nullptr, QStringLiteral("c"), dir.path(), filter);
        [&] { QVERIFY(chosen.isEmpty()); }();
        offer.files.sort();
        return offer;
    };
    const Offer transfer = offered(QStringLiteral("振込データ(FB*.txt)|FB*.txt"));
    QCOMPARE(transfer.files, (QStringList{"FB0115.TXT", "Fb0117.Txt", "fb0116.txt"}));
    QCOMPARE(transfer.filters, QStringList{QStringLiteral("振込データ(FB*.txt)")});

    const Offer bank = offered(QStringLiteral("銀行データ|銀行マスタ.mdb"));
    QCOMPARE(bank.files, QStringList{QStringLiteral("銀行マスタ.mdb")});
    QCOMPARE(bank.filters, QStringList{QStringLiteral("銀行データ")});

    // A blank inside a pattern is part of it: the pattern is not split there.
    const Offer blank = offered(QStringLiteral("振込データ(A B*.txt)|A B*.txt"));
    QCOMPARE(blank.files, QStringList{QStringLiteral("A B0115.txt")});
    QCOMPARE(blank.filters, QStringList{QStringLiteral("振込データ(A B*.txt)")});

    const Offer all = offered(QStringLiteral("振込データ(*.txt)|*.txt"));
    QCOMPARE(all.files.size(), 7);
    QCOMPARE(all.filters, QStringList{QStringLiteral("振込データ(*.txt)")});
}

void WidgetsTest::pageControlAsksBeforeTheUserChangesPage()
{
    PageControl pages;
    pages.addTab(new QWidget, QStringLiteral("振込先手数料"));
    pages.addTab(new QWidget, QStringLiteral("銀行手数料"));
    pages.setTabWidth(150);
    pages.resize(400, 300);
    pages.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pages));

    bool allow = false;
    QList<QPair<int, int>> asked;
    int changed = 0;
    pages.setChangeQuestion([&](int from, int to) {
        asked << qMakePair(from, to);
        return allow;
    });
    connect(&pages, &QTabWidget::currentChanged, &pages, [&] { ++changed; });

    QTabBar *bar = pages.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCOMPARE(pages.currentIndex(), 0);
    QCOMPARE(changed, 0);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first(), qMakePair(0, 1));
    QTest::keyClick(&pages, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages.currentIndex(), 0);
    QCOMPARE(bar->tabRect(0).width(), 150);

    allow = true;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCOMPARE(pages.currentIndex(), 1);
    QCOMPARE(changed, 1);
    // Clicking the page already shown asks nothing.
    asked.clear();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QVERIFY(asked.isEmpty());
    pages.setCurrentIndex(0); // the screen's own switch
    QVERIFY(asked.isEmpty());

    // A question that fails keeps the page; the tab bar never sees the error.
    pages.setChangeQuestion([](int, int) -> bool { throw std::runtime_error("database is locked"); });
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCOMPARE(pages.currentIndex(), 0);
}

void WidgetsTest::gridDrawsTheWholeLineOfAChangedCell()
{
    // A cell painter that shows the amount only while the first cell is "1".
    StripedGrid grid;
    fillGrid(grid, 3);
    grid.setCellPainter([&grid](QPainter &painter, const QRect &rect, int line, int column, bool) {
        if (column != 2)
            return false;
        painter.fillRect(rect, Qt::white);
        if (grid.cellText(line, 0) == QLatin1String("1"))
            painter.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, grid.cellText(line, 2));
        return true;
    });
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
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
    grid.viewport()->installEventFilter(&painted);
    grid.setCellText(0, 0, QStringLiteral("0"));
    QCoreApplication::processEvents();
    const int row = StripedGrid::rowOfLine(0);
    QVERIFY(painted.region.contains(grid.visualRect(grid.model()->index(row, 2))));
    QVERIFY(!painted.region.contains(grid.visualRect(grid.model()->index(row + 1, 2))));
}

void WidgetsTest::enterPressesTheFocusedButton()
{
    installEnterPressesButtons(*QCoreApplication::instance());
    installEnterPressesButtons(*QCoreApplication::instance()); // a second call adds nothing

    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *gradient = new GradientButton(QStringLiteral("登録"), QString(), &window);
    auto *plain = new QPushButton(QStringLiteral("今日"), &window);
    auto *tool = new QToolButton(&window);
    auto *disabled = new QPushButton(QStringLiteral("削除"), &window);
    disabled->setEnabled(false);
    disabled->setFocusPolicy(Qt::StrongFocus);
    for (QWidget *w : std::initializer_list<QWidget *>{gradient, plain, tool, disabled})
        layout->addWidget(w);
    tool->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    for (QAbstractButton *button : std::initializer_list<QAbstractButton *>{gradient, plain, tool}) {
        int clicks = 0;
        const auto connection = connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
        button->setFocus();
        QVERIFY(button->hasFocus());
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(button, Qt::Key_Space);
        QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier); // not the Enter key alone
        QCOMPARE(clicks, 3);
        disconnect(connection);
    }

    // In a dialog Qt presses the focused button itself, once.
    QDialog dialog;
    auto *ok = new QPushButton(QStringLiteral("決定"), &dialog);
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), &dialog);
    (new QHBoxLayout(&dialog))->addWidget(ok);
    dialog.layout()->addWidget(cancel);
    int okClicks = 0;
    int cancelClicks = 0;
    connect(ok, &QAbstractButton::clicked, [&] { ++okClicks; });
    connect(cancel, &QAbstractButton::clicked, [&] { ++cancelClicks; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    QCOMPARE(cancelClicks, 1);
    QCOMPARE(okClicks, 0);
}

void WidgetsTest::focusIsVisibleOnButtonsAndLists()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *button = new GradientButton(QStringLiteral("登録"), QString(), &window);
    button->setFixedSize(100, 41);
    auto *grid = new StripedGrid(&window);
    fillGrid(*grid, 3);
    auto *list = new KeyedListBox(&window);
    list->addKeyedItem(QStringLiteral("1\t本部"));
    auto *other = new QLineEdit(&window);
    for (QWidget *w : std::initializer_list<QWidget *>{button, grid, list, other})
        layout->addWidget(w);
    window.resize(700, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    auto highlighted = [](QWidget *w) {
        const QImage image = w->grab().toImage();
        const QRgb ring = w->palette().color(QPalette::Active, QPalette::Highlight).rgb();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += (image.pixel(x, y) & 0xFFFFFF) == (ring & 0xFFFFFF);
        return count;
    };
    for (QWidget *w : std::initializer_list<QWidget *>{button, grid, list}) {
        other->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(highlighted(w), 0);
        w->setFocus();
        QVERIFY(w->hasFocus());
        QCoreApplication::processEvents();
        // A ring round the control: at least its four sides once.
        QVERIFY2(highlighted(w) >= w->width() + w->height(), w->metaObject()->className());
    }
}

void WidgetsTest::calendarHeaderReadsYearThenMonth()
{
    MonthCalendar calendar;
    calendar.setDate(QDate(2026, 12, 9));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    auto header = [&] {
        // The header's buttons from left to right.
        QList<QToolButton *> buttons = calendar.findChildren<QToolButton *>();
        std::sort(buttons.begin(), buttons.end(),
                  [](QToolButton *a, QToolButton *b) { return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x(); });
        QString text;
        for (QToolButton *b : buttons) {
            if (b->isVisible())
                text += b->text();
        }
        return text;
    };
    QCOMPARE(header(), QStringLiteral("2026年12月"));
    calendar.showNextMonth();
    QCoreApplication::processEvents();
    QCOMPARE(header(), QStringLiteral("2027年1月"));
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The real file dialogs keep their history in Qt's settings: in a
    // temporary folder, not the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    installJapaneseFonts();
    WidgetsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "widgets_test.moc"
