// The main window's screen switching, the close question, the start without
// a database, the calendar dialog and the general error display.

#include "core/datamodule.h"
#include "core/inifile.h"
#include "core/unitapp.h"
#include "reports/printchoice.h"
#include "core/schema.h"
#include "core/sql.h"
#include "core/userinterface.h"
#include "shell/application.h"
#include "shell/formbase.h"
#include "shell/formcarender.h"
#include "app/screens.h"
#include "shell/formmain.h"
#include "shell/formmenu.h"
#include "shell/hostpanel.h"
#include "shell/startup.h"
#include "support/scriptedmessageboxes.h"
#include "support/scriptedscreencontext.h"
#include "support/testdatabase.h"
#include "widgets/filedialogs.h"
#include "widgets/gradientbutton.h"
#include "widgets/guard.h"
#include "widgets/japanesefonts.h"
#include "widgets/monthcalendar.h"
#include "widgets/titlelabel.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>

using namespace pelanova;
using pelanova::test::ScriptedMessageBoxes;

namespace {

// A work screen that counts its lives and its close handling.
struct ProbeCounts
{
    bool failOnClose = false;
    int created = 0;
    int closed = 0;
    int destroyed = 0;
};
ProbeCounts probe;

class ProbeScreen : public TfrmBase
{
public:
    ProbeScreen(ScreenContext &context, QWidget *parent)
        : TfrmBase(context, parent)
    {
        setWindowTitle(QStringLiteral("施設マスター"));
        setTitle(QStringLiteral("施設マスター"));
        createHeaderButton(QStringLiteral(" 新　規"));
        createHeaderButton(QStringLiteral(" 修　正"));
        ++probe.created;
    }
    ~ProbeScreen() override { ++probe.destroyed; }

protected:
    void FormClose() override
    {
        ++probe.closed;
        if (probe.failOnClose)
            throw sql::Error("disk I/O error", 10);
    }
};

// Whether the start-up found Qt's Japanese translations.
bool g_translationsLoaded = false;

void discardClosedScreens()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

ScreenFactories probeScreens()
{
    ScreenFactories screens = applicationScreens();
    screens[ScreenShisetuMaster] = [](ScreenContext &c, QWidget *p) -> HostedScreen * {
        return new ProbeScreen(c, p);
    };
    screens[ScreenFurikomiPrint] = nullptr; // a screen that is not there
    return screens;
}

// An executable path in a folder of its own, with or without the database.
struct Installation
{
    QTemporaryDir dir;
    std::string exe;

    explicit Installation(bool withDatabase)
    {
        exe = QDir(dir.path()).filePath(QStringLiteral("pelanova")).toStdString();
        if (withDatabase) {
            std::filesystem::create_directories(std::filesystem::path(dir.path().toStdString()) / "data");
            sql::Database db;
            db.open(TDM1::ownDatabaseFor(exe), sql::Database::Mode::Create);
            schema::createOwnDatabase(db);
        }
    }
};

} // namespace

class ShellTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        probe = {};
        m_boxes.clear();
    }
    void startsWithTheMenuInTheTitledWindow();
    void showScreenCreatesClosesOnceAndDiscards();
    void showScreenIgnoresUnknownAndMissingScreens();
    void screenFailingToOpenLeavesTheMenu();
    void baseScreenAloneReturnsToTheMenu();
    void closeQuestionDefaultsToNoAndKeepsTheScreen();
    void missingOrBrokenDatabaseEndsWithoutCloseQuestion();
    void aServerDatabaseThatCannotServeEndsTheStartSayingWhy();
    void startsWhenTheDatabaseIsThere();
    void hostedScreenFollowsResizing();
    void calendarOkWritesTheDateBack();
    void calendarMarksHolidaysAndSundaysRedAndSaturdaysBlue();
    void calendarCancelEscAndCloseBoxChangeNothing();
    void calendarOpensOnTodayForNoDate();
    void calendarEnterOrDoubleClickConfirmsTheDay();
    void scriptedDatePickerAnswers();
    void uncaughtErrorsAreShownAndTheApplicationGoesOn();
    void qtOwnTextsAndLocaleAreJapanese();
    void everyScreenOpensOnAnEmptyDatabaseAndReturns();

private:
    ScriptedMessageBoxes m_boxes;
    ScriptedFileDialogs m_files;
    ScriptedDatePicker m_dates;
    TfrmMain::Services services() { return {m_boxes, m_files, m_dates}; }
};

void ShellTest::startsWithTheMenuInTheTitledWindow()
{
    Installation inst(true);
    TfrmMain main(inst.exe, services(), probeScreens());
    QCOMPARE(main.windowTitle(), QStringLiteral("Pelanova（全銀協対応）"));
    QCOMPARE(main.pnlTitle->text(), QStringLiteral("Pelanova（全銀協対応）"));
    QVERIFY(main.dm().ADOConFurikomi.isOpen());
    auto *menu = qobject_cast<TfrmMenu *>(main.hostedScreen());
    QVERIFY(menu);
    QCOMPARE(main.screen(ScreenMenu), menu);
    // Only screens that exist can be opened from the menu.
    QVERIFY(menu->btnShisetuMaster->isEnabled());
    QVERIFY(!menu->btnFurikomiIraiPrint->isEnabled());
    QVERIFY(menu->BitBtnSystemEnd->isEnabled());
    QCOMPARE(menu->btnFurikomiIraiPrint->text(), QStringLiteral("振込依頼書"));
    QCOMPARE(menu->btnShisetuMaster->size(), QSize(161, 64));
    QVERIFY(m_boxes.count() == 0);
}

void ShellTest::showScreenCreatesClosesOnceAndDiscards()
{
    Installation inst(true);
    TfrmMain main(inst.exe, services(), probeScreens());
    main.show();
    QPointer<HostedScreen> menu = main.hostedScreen();

    qobject_cast<TfrmMenu *>(menu.data())->btnShisetuMaster->click();
    QPointer<HostedScreen> first = main.hostedScreen();
    QVERIFY(dynamic_cast<ProbeScreen *>(first.data()));
    QCOMPARE(probe.created, 1);
    QVERIFY(first->isVisible());
    QVERIFY(menu && menu->isHidden());
    discardClosedScreens();
    QVERIFY(!menu);                     // the menu is discarded once left
    QCOMPARE(main.screen(ScreenMenu), nullptr);

    // メニュー: close handling once, then the menu, then the screen is gone.
    static_cast<TfrmBase *>(first.data())->btnMenu->click();
    QCOMPARE(probe.closed, 1);
    QVERIFY(qobject_cast<TfrmMenu *>(main.hostedScreen()));
    discardClosedScreens();
    QVERIFY(!first);
    QCOMPARE(probe.destroyed, 1);
    QCOMPARE(probe.closed, 1);

    // The next visit makes a fresh screen.
    main.ShowScreen(ScreenShisetuMaster);
    QCOMPARE(probe.created, 2);
    QPointer<HostedScreen> second = main.hostedScreen();
    QVERIFY(dynamic_cast<ProbeScreen *>(second.data()));

    // Asking for the shown screen again also runs its close handling once
    // and shows a new one, never the one being discarded.
    main.ShowScreen(ScreenShisetuMaster);
    QCOMPARE(probe.closed, 2);
    QCOMPARE(probe.created, 3);
    QVERIFY(main.hostedScreen() != second.data());
    discardClosedScreens();
    QVERIFY(!second);
    QVERIFY(main.hostedScreen());

    // Leaving the application with a work screen shown destroys it without
    // its close handling.
    m_boxes.clear();
    m_boxes.answer(IdYes);
    QVERIFY(main.close());
    QCOMPARE(probe.closed, 2);
}

void ShellTest::showScreenIgnoresUnknownAndMissingScreens()
{
    Installation inst(true);
    TfrmMain main(inst.exe, services(), probeScreens());
    main.show();
    main.ShowScreen(ScreenShisetuMaster);
    HostedScreen *shown = main.hostedScreen();
    for (const uint8_t id : {uint8_t(7), uint8_t(8), uint8_t(255), uint8_t(ScreenFurikomiPrint)}) {
        main.ShowScreen(id);
        QCOMPARE(main.hostedScreen(), shown);
        QVERIFY(!shown->isClosing());
    }
    QCOMPARE(probe.closed, 0);
    QCOMPARE(probe.created, 1);
    QCOMPARE(m_boxes.count(), size_t(0));
    QVERIFY(main.isVisible());
}

void ShellTest::screenFailingToOpenLeavesTheMenu()
{
    Installation inst(true);
    ScreenFactories screens = probeScreens();
    screens[ScreenKakusyu] = [](ScreenContext &, QWidget *) -> HostedScreen * {
        throw sql::Error("database is locked", 5);
    };
    TfrmMain main(inst.exe, services(), screens);
    main.show();
    main.ShowScreen(ScreenShisetuMaster);
    QVERIFY_THROWS_EXCEPTION(sql::Error, main.ShowScreen(ScreenKakusyu));
    QCOMPARE(probe.closed, 1);
    QVERIFY(qobject_cast<TfrmMenu *>(main.hostedScreen()));
    QVERIFY(main.hostedScreen()->isVisible());

    // A close handling that fails: the menu still comes back, once.
    for (const bool byButton : {false, true}) {
        main.ShowScreen(ScreenShisetuMaster);
        QPointer<HostedScreen> failing = main.hostedScreen();
        probe.failOnClose = true;
        probe.closed = 0;
        m_boxes.clear();
        if (byButton) {
            // The button's handler shows the error itself; nothing reaches Qt.
            static_cast<TfrmBase *>(failing.data())->btnMenu->click();
            QCOMPARE(m_boxes.count(), size_t(1));
            QCOMPARE(m_boxes.last().icon, MessageIcon::Error);
        } else {
            QVERIFY_THROWS_EXCEPTION(sql::Error, main.ShowScreen(ScreenMenu));
        }
        probe.failOnClose = false;
        QCOMPARE(probe.closed, 1);
        QVERIFY(qobject_cast<TfrmMenu *>(main.hostedScreen()));
        discardClosedScreens();
        QVERIFY(!failing);
    }
}

void ShellTest::baseScreenAloneReturnsToTheMenu()
{
    Installation inst(true);
    TDM1 dm(inst.exe);
    test::ScriptedScreenContext scripted(dm);
    QPointer<ProbeScreen> screen = new ProbeScreen(scripted.context(), nullptr);
    QCOMPARE(screen->btnMenu->text(), QStringLiteral("メニュー"));
    QCOMPARE(screen->btnMenu->size(), QSize(116, 41));
    QCOMPARE(screen->Panel1->height(), 49);
    QCOMPARE(screen->pnlTitle->width(), 176);
    QCOMPARE(screen->pnlTitle->text(), QStringLiteral("施設マスター"));
    screen->btnMenu->click();
    screen->btnMenu->click(); // a second click before it is gone does no harm
    QCOMPARE(probe.closed, 1);
    QCOMPARE(scripted.shownScreens, (std::vector<uint8_t>{ScreenMenu, ScreenMenu}));
    discardClosedScreens();
    QVERIFY(!screen);
}

void ShellTest::closeQuestionDefaultsToNoAndKeepsTheScreen()
{
    Installation inst(true);
    TfrmMain main(inst.exe, services(), probeScreens());
    main.show();
    main.ShowScreen(ScreenShisetuMaster);
    HostedScreen *shown = main.hostedScreen();

    // システム終了 (screen id 6), answered いいえ.
    m_boxes.answer(IdNo);
    main.ShowScreen(ScreenEnd);
    QCOMPARE(m_boxes.count(), size_t(1));
    const ScriptedMessageBoxes::Box &box = m_boxes.last();
    QCOMPARE(box.text, std::string("システムを終了します。よろしいですか？"));
    QCOMPARE(box.title, std::string(kAppTitle));
    QCOMPARE(box.icon, MessageIcon::Question);
    QCOMPARE(box.buttons, MessageButtons::YesNo);
    QCOMPARE(box.defaultButton, kDefaultButton2);
    QCOMPARE(defaultButtonResult(box.buttons, box.defaultButton), int(IdNo));
    QVERIFY(main.isVisible());
    QCOMPARE(main.hostedScreen(), shown);
    QCOMPARE(probe.closed, 0);

    // The close box and the window manager ask the same; Enter takes いいえ.
    QVERIFY(!main.close());
    QCOMPARE(m_boxes.count(), size_t(2));
    QCOMPARE(m_boxes.last().text, std::string("システムを終了します。よろしいですか？"));
    QVERIFY(main.isVisible());
    QCOMPARE(main.hostedScreen(), shown);

    m_boxes.answer(IdYes);
    main.ShowScreen(ScreenEnd);
    QVERIFY(!main.isVisible());
    QCOMPARE(probe.closed, 0);
}

void ShellTest::missingOrBrokenDatabaseEndsWithoutCloseQuestion()
{
    for (const bool broken : {false, true}) {
        m_boxes.clear();
        Installation inst(false);
        if (broken) {
            QDir(inst.dir.path()).mkpath(QStringLiteral("data"));
            QFile junk(QString::fromStdString(TDM1::ownDatabaseFor(inst.exe)));
            QVERIFY(junk.open(QIODevice::WriteOnly));
            junk.write("this is no database, just text of some length .................");
        }
        bool ran = false;
        const int status = runMainWindow(portableLocation(inst.exe), services(), applicationScreens(), [&] {
            ran = true;
            return 0;
        });
        QVERIFY(status != 0);
        QVERIFY(!ran);
        QCOMPARE(m_boxes.count(), size_t(1));
        const ScriptedMessageBoxes::Box &box = m_boxes.last();
        QCOMPARE(box.text.rfind("データベースの接続に失敗しました。\n\r処理を中断します。\n\r", 0), size_t(0));
        // The reason follows, then the file.
        QVERIFY(box.text.find(broken ? "ファイルがデータベースではないか、壊れています。" : "データベースのファイルがありません。")
                != std::string::npos);
        QCOMPARE(box.title, std::string("データベースの接続"));
        QCOMPARE(box.icon, MessageIcon::Error);
        QCOMPARE(box.buttons, MessageButtons::Ok);
        QVERIFY(!QFile::exists(QString::fromStdString(TDM1::ownDatabaseFor(inst.exe))) || broken);
    }
}

void ShellTest::aServerDatabaseThatCannotServeEndsTheStartSayingWhy()
{
    // A stopped server (no socket where the connection points), and on the
    // test server a database that is not there and one without the tables.
    std::vector<std::pair<std::string, std::string>> cases;
    const QTemporaryDir nowhere;
    cases.emplace_back("host=" + nowhere.path().toStdString() + " dbname=pelanova",
                       "データベースサーバーに接続できません（サーバーが止まっているか、接続先が違います）。");
    if (test::onPostgres()) {
        cases.emplace_back(std::string(test::postgresTestDatabase()) + " dbname=pelanova_none",
                           "データベースサーバーに、接続先のデータベースがありません。");
        cases.emplace_back(test::freshServerSchema(), "このプログラムのデータベースではありません");
    }
    for (const auto &[connection, reason] : cases) {
        m_boxes.clear();
        Installation inst(false);
        IniFile settings(portableLocation(inst.exe).settingsFile);
        settings.writeString("Database", "Engine", "PostgreSQL");
        settings.writeString("Database", "Connection", connection);
        QElapsedTimer clock;
        clock.start();
        bool ran = false;
        const int status = runMainWindow(portableLocation(inst.exe), services(), applicationScreens(), [&] {
            ran = true;
            return 0;
        });
        QVERIFY(status != 0);
        QVERIFY(!ran);
        QVERIFY2(clock.elapsed() < 10000, "never a hang");
        QCOMPARE(m_boxes.count(), size_t(1));
        const std::string &text = m_boxes.last().text;
        QCOMPARE(text.rfind("データベースの接続に失敗しました。\n\r処理を中断します。\n\r", 0), size_t(0));
        QVERIFY2(text.find(reason) != std::string::npos, text.c_str());
        // No file database was made in its place.
        QVERIFY(!QFile::exists(QString::fromStdString(TDM1::ownDatabaseFor(inst.exe))));
    }
}

void ShellTest::startsWhenTheDatabaseIsThere()
{
    Installation inst(true);
    bool ran = false;
    const int status = runMainWindow(portableLocation(inst.exe), services(), applicationScreens(), [&] {
        ran = true;
        TfrmMain *main = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *m = qobject_cast<TfrmMain *>(w); m && m->isVisible())
                main = m;
        }
        return main && main->isMaximized() ? 0 : 3;
    });
    QVERIFY(ran);
    QCOMPARE(status, 0);
    QCOMPARE(m_boxes.count(), size_t(0)); // ending the program's own way asks nothing
    // The day's first start wrote a backup; the second start of the day writes none.
    const DatabaseBackups backups(TDM1::ownDatabaseFor(inst.exe));
    QCOMPARE(backups.list().size(), size_t(1));
    runMainWindow(portableLocation(inst.exe), services(), applicationScreens(), [] { return 0; });
    QCOMPARE(backups.list().size(), size_t(1));

    // A backup that cannot be written is told, and the program starts all the same.
    QDir(QString::fromStdString(backups.folder())).removeRecursively();
    QFile taken(QString::fromStdString(backups.folder()));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    ran = false;
    QCOMPARE(runMainWindow(portableLocation(inst.exe), services(), applicationScreens(), [&] {
                 ran = true;
                 return 0;
             }),
             0);
    QVERIFY(ran);
    QCOMPARE(m_boxes.count(), size_t(1));
    QVERIFY(QString::fromStdString(m_boxes.last().text).startsWith(QStringLiteral("本日のバックアップを作成できませんでした。")));
    QCOMPARE(m_boxes.last().icon, MessageIcon::Warning);

    // A hand-edited choice of the bank file's form is named at the start.
    IniFile(portableLocation(inst.exe).settingsFile).writeString("Output", "LineBreak", "yes");
    m_boxes.clear();
    runMainWindow(portableLocation(inst.exe), services(), applicationScreens(), [] { return 0; });
    QVERIFY(m_boxes.count() >= 1);
    QCOMPARE(m_boxes.shown().front().text,
             std::string("設定ファイルに選べない値があります。設定画面で選び直してください。\n\r"
                         "設定ファイルの [Output] LineBreak=yes はレコードの区切りの選べる値（0, 1）ではありません。"
                         "「なし（既定）」を使います。"));
    QCOMPARE(m_boxes.shown().front().icon, MessageIcon::Warning);
}

void ShellTest::hostedScreenFollowsResizing()
{
    Installation inst(true);
    TfrmMain main(inst.exe, services(), probeScreens());
    main.resize(900, 650);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto check = [&](const char *when) {
        QCoreApplication::processEvents();
        HostedScreen *screen = main.hostedScreen();
        QVERIFY2(screen, when);
        QCOMPARE(screen->geometry(), main.FormPanel1->rect());
        const QRect area = main.FormPanel1->geometry();
        QCOMPARE(area, QRect(3, 41 + 3, main.width() - 6, main.height() - 41 - 6));
        QCOMPARE(main.pnlTitle->geometry(), QRect(0, 0, main.width(), 41));
    };
    check("first");
    main.ShowScreen(ScreenShisetuMaster);
    check("hosted");
    main.resize(1200, 800);
    check("resized");
    main.showMaximized();
    check("maximised");
    main.showNormal();
    check("restored");
    main.resize(640, 480);
    main.ShowScreen(ScreenMenu);
    check("menu");
}

namespace {

// Runs fn on the calendar dialog once it is shown modally.
void onCalendar(std::function<void(TfrmCarender *)> fn)
{
    QTimer::singleShot(0, [fn] {
        auto *dialog = qobject_cast<TfrmCarender *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        fn(dialog);
    });
}

} // namespace

void ShellTest::calendarOkWritesTheDateBack()
{
    TfrmCarender dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("カレンダ"));
    QCOMPARE(dialog.size(), QSize(351, 186));
    QCOMPARE(dialog.btnOk->text(), QStringLiteral("決定"));
    QCOMPARE(dialog.btnCancel->text(), QStringLiteral("キャンセル"));
    QVERIFY(!(dialog.btnOk->focusPolicy() & Qt::TabFocus));
    QVERIFY(!(dialog.btnCancel->focusPolicy() & Qt::TabFocus));

    QDate date(2008, 1, 15);
    QDate shown;
    onCalendar([&](TfrmCarender *d) {
        shown = d->MonthCalendar1->date();
        d->MonthCalendar1->setDate(QDate(2008, 2, 3));
        d->btnOk->click();
    });
    QCOMPARE(dialog.PickDate(date), 1);
    QCOMPARE(shown, QDate(2008, 1, 15));
    QCOMPARE(date, QDate(2008, 2, 3));

    // The user moves by keys in the calendar and confirms.
    QtDatePicker picker;
    QDate picked(2010, 5, 31);
    onCalendar([](TfrmCarender *d) {
        QTest::keyClick(d->MonthCalendar1->focusWidget() ? d->MonthCalendar1->focusWidget() : d->MonthCalendar1,
                        Qt::Key_Right);
        d->btnOk->click();
    });
    QCOMPARE(picker.pickDate(nullptr, picked), 1);
    QCOMPARE(picked, QDate(2010, 6, 1));
}

void ShellTest::calendarMarksHolidaysAndSundaysRedAndSaturdaysBlue()
{
    TfrmCarender dialog;
    MonthCalendar *c = dialog.MonthCalendar1;
    c->setDate(QDate(2026, 1, 15));
    auto colour = [c](int y, int m, int d) { return c->dateTextFormat(QDate(y, m, d)).foreground().color(); };
    QCOMPARE(c->weekdayTextFormat(Qt::Sunday).foreground().color(), MonthCalendar::kSundayColour);
    QCOMPARE(c->weekdayTextFormat(Qt::Saturday).foreground().color(), MonthCalendar::kSaturdayColour);
    QCOMPARE(colour(2026, 1, 1), MonthCalendar::kSundayColour);  // 元日, a Thursday
    QCOMPARE(colour(2026, 1, 12), MonthCalendar::kSundayColour); // 成人の日
    QVERIFY(!c->dateTextFormat(QDate(2026, 1, 13)).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(colour(2026, 2, 11), MonthCalendar::kSundayColour); // the next month is marked too
    // Another month, as the user moves to it.
    c->setCurrentPage(2026, 9);
    QCOMPARE(colour(2026, 9, 21), MonthCalendar::kSundayColour);
    QCOMPARE(colour(2026, 9, 22), MonthCalendar::kSundayColour); // 国民の休日
    QCOMPARE(colour(2026, 9, 23), MonthCalendar::kSundayColour);
    QVERIFY(!c->dateTextFormat(QDate(2026, 1, 12)).hasProperty(QTextFormat::ForegroundBrush));
}

void ShellTest::calendarCancelEscAndCloseBoxChangeNothing()
{
    const QList<std::function<void(TfrmCarender *)>> endings = {
        [](TfrmCarender *d) { d->btnCancel->click(); },
        [](TfrmCarender *d) { QTest::keyClick(d, Qt::Key_Escape); },
        [](TfrmCarender *d) {
            // Esc pressed while the calendar itself has the focus.
            QWidget *inner = d->focusWidget() ? d->focusWidget() : d->MonthCalendar1;
            QTest::keyClick(inner, Qt::Key_Escape);
        },
        [](TfrmCarender *d) { d->close(); },
    };
    for (const auto &ending : endings) {
        QtDatePicker picker;
        QDate date(2008, 1, 15);
        onCalendar([ending](TfrmCarender *d) {
            d->MonthCalendar1->setDate(QDate(2009, 9, 9));
            ending(d);
        });
        QCOMPARE(picker.pickDate(nullptr, date), 2);
        QCOMPARE(date, QDate(2008, 1, 15));
    }
}

void ShellTest::calendarOpensOnTodayForNoDate()
{
    QtDatePicker picker;
    QDate none;
    QDate shown;
    onCalendar([&](TfrmCarender *d) {
        shown = d->MonthCalendar1->date();
        d->btnCancel->click();
    });
    QCOMPARE(picker.pickDate(nullptr, none), 2);
    QCOMPARE(shown, QDate::currentDate());
    QVERIFY(!none.isValid());
}

void ShellTest::calendarEnterOrDoubleClickConfirmsTheDay()
{
    // Without the mouse: move to a day with the arrow keys and press Enter.
    // A dialog that ignored Enter is cancelled here so that the test ends.
    for (const Qt::Key confirm : {Qt::Key_Return, Qt::Key_Enter}) {
        QtDatePicker picker;
        QDate date(2010, 5, 31);
        onCalendar([confirm](TfrmCarender *d) {
            QWidget *inner = d->focusWidget() ? d->focusWidget() : d->MonthCalendar1;
            QTest::keyClick(inner, Qt::Key_Right);
            QTest::keyClick(inner, confirm);
            if (d->isVisible())
                d->btnCancel->click();
        });
        QCOMPARE(picker.pickDate(nullptr, date), 1);
        QCOMPARE(date, QDate(2010, 6, 1));
    }

    // A double click on a day picks it as well.
    QtDatePicker picker;
    QDate date(2008, 1, 15);
    onCalendar([](TfrmCarender *d) {
        d->MonthCalendar1->setDate(QDate(2008, 1, 20));
        emit d->MonthCalendar1->activated(QDate(2008, 1, 20));
        if (d->isVisible())
            d->btnCancel->click();
    });
    QCOMPARE(picker.pickDate(nullptr, date), 1);
    QCOMPARE(date, QDate(2008, 1, 20));
}

void ShellTest::scriptedDatePickerAnswers()
{
    ScriptedDatePicker dates;
    dates.answerOk(QDate(2008, 3, 1));
    dates.answerCancel();
    QDate d(2008, 1, 1);
    QCOMPARE(dates.pickDate(nullptr, d), 1);
    QCOMPARE(d, QDate(2008, 3, 1));
    QCOMPARE(dates.pickDate(nullptr, d), 2);
    QCOMPARE(d, QDate(2008, 3, 1));
    QCOMPARE(dates.pickDate(nullptr, d), 2); // unscripted: cancelled
    QCOMPARE(dates.openedOn().size(), size_t(3));
    QCOMPARE(dates.openedOn()[0], QDate(2008, 1, 1));
}

void ShellTest::uncaughtErrorsAreShownAndTheApplicationGoesOn()
{
    // A handler's error ends that handler only: the guard shows it and the
    // application goes on; Qt's signal code never sees it.
    QPushButton button;
    int clicks = 0;
    connectGuarded(&button, m_boxes, &button, &QPushButton::clicked, [&] {
        ++clicks;
        throw sql::Error("no such table: M_施設", 1);
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(m_boxes.count(), size_t(1));
    QCOMPARE(m_boxes.last().text, std::string("no such table: M_施設"));
    QCOMPARE(m_boxes.last().icon, MessageIcon::Error);
    QCOMPARE(m_boxes.last().title, std::string(kAppTitle));
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);

    // A common database failure reads in Japanese, the engine's text below it.
    QPushButton locked;
    connectGuarded(&locked, m_boxes, &locked, &QPushButton::clicked,
                   [] { throw sql::Error("database is locked", 5); });
    QTest::mouseClick(&locked, Qt::LeftButton);
    QCOMPARE(m_boxes.count(), size_t(3));
    QCOMPARE(m_boxes.last().text, busyDatabaseText());
    QCOMPARE(m_boxes.last().icon, MessageIcon::Error);
}

void ShellTest::qtOwnTextsAndLocaleAreJapanese()
{
    QVERIFY2(g_translationsLoaded, "qtbase_ja.qm not found: install qt6-translations-l10n");
    QCOMPARE(QLocale().language(), QLocale::Japanese);

    // The context menu of every entry.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator())
            items << action->text().section(QLatin1Char('\t'), 0, 0);
    }
    QCOMPARE(items.first(), QStringLiteral("元に戻す(&U)"));
    QCOMPARE(items.last(), QStringLiteral("すべてを選択"));
    QVERIFY(items.contains(QStringLiteral("貼り付け(&P)")));

    // The file dialog.
    QTemporaryDir dir;
    QFile bank(QDir(dir.path()).filePath(QStringLiteral("銀行マスタ.mdb")));
    QVERIFY(bank.open(QIODevice::WriteOnly));
    bank.close();
    QStringList labels;
    QStringList buttons;
    QString modified;
    QString kind;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
        QVERIFY(view);
        QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) > 0);
        modified = view->model()->index(0, 3, view->rootIndex()).data().toString();
        kind = view->model()->index(0, 2, view->rootIndex()).data().toString();
        for (QLabel *label : dialog->findChildren<QLabel *>())
            labels << label->text();
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            buttons << button->text();
        dialog->reject();
    });
    QtFileDialogs files;
    QVERIFY(files.getOpenFileName(nullptr, QString(), dir.path(), QStringLiteral("銀行データ|銀行マスタ.mdb")).isEmpty());
    QVERIFY2(labels.contains(QStringLiteral("アドレス:")), qPrintable(labels.join(QLatin1Char('|'))));
    QVERIFY2(labels.contains(QStringLiteral("ファイルの種類:")), qPrintable(labels.join(QLatin1Char('|'))));
    QVERIFY2(buttons.contains(QStringLiteral("開く(&O)")) || buttons.contains(QStringLiteral("開く")),
             qPrintable(buttons.join(QLatin1Char('|'))));
    QVERIFY2(buttons.contains(QStringLiteral("キャンセル")), qPrintable(buttons.join(QLatin1Char('|'))));
    // The file's date as Japanese writes it (2026/12/09 14:06), not "9 Dec".
    QCOMPARE(modified, QFileInfo(bank.fileName()).lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
    QCOMPARE(kind, QStringLiteral("MDB ファイル"));

    // The print dialog: what Qt's translation leaves in English is Japanese.
    QPrinter printer;
    QPrintDialog print(&printer);
    preparePrintDialog(print, PrintRequest());
    QStringList english;
    for (QAbstractButton *button : print.findChildren<QAbstractButton *>()) {
        if (button->text() == QStringLiteral("Pages") || button->text().contains(QStringLiteral("binding")))
            english << button->text();
    }
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QLatin1Char('|'))));
}

void ShellTest::everyScreenOpensOnAnEmptyDatabaseAndReturns()
{
    Installation inst(true);
    TfrmMain main(inst.exe, services(), applicationScreens());
    main.resize(1024, 720);
    main.show();
    for (uint8_t id = ScreenImport; id <= ScreenKakusyu; ++id) {
        auto *menu = qobject_cast<TfrmMenu *>(main.hostedScreen());
        QVERIFY(menu);
        if (!main.screenContext().screenAvailable(id))
            continue;
        main.ShowScreen(id);
        QPointer<HostedScreen> screen = main.hostedScreen();
        auto *work = qobject_cast<TfrmBase *>(screen.data());
        QVERIFY2(work, qPrintable(QStringLiteral("screen %1").arg(id)));
        QVERIFY(!work->title().isEmpty());
        QCOMPARE(work->geometry(), main.FormPanel1->rect());
        QCoreApplication::processEvents();
        work->btnMenu->click();
        discardClosedScreens();
        QVERIFY(!screen);
    }
    QVERIFY(qobject_cast<TfrmMenu *>(main.hostedScreen()));
    for (const ScriptedMessageBoxes::Box &box : m_boxes.shown())
        qInfo("box: %s", box.text.c_str());
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The real file dialogs keep their history in Qt's settings: in a
    // temporary folder, not the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    PelanovaApplication app(argc, argv);
    g_translationsLoaded = prepareApplication(app);
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "shell_test.moc"
