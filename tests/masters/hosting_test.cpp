// The masters screens hosted by the main window: opened from the menu, and
// left with メニュー or with the end of the application.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "core/inifile.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formkakusyu.h"
#include "masters/formshisetumaster.h"
#include "screenfixture.h"
#include "app/screens.h"
#include "shell/formmain.h"
#include "shell/formmenu.h"
#include "widgets/gradientbutton.h"
#include "widgets/numericedit.h"
#include "widgets/stripedgrid.h"

using namespace pelanova;

namespace {

void discardClosedScreens()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class HostingTest : public QObject
{
    Q_OBJECT

private:
    TfrmMain &openMain()
    {
        main = std::make_unique<TfrmMain>(std::make_unique<TDM1>(f->iniPath(), f->dbPath(), &f->boxes),
                                          TfrmMain::Services{f->boxes, f->files, f->dates}, applicationScreens());
        main->resize(1100, 700);
        main->show();
        return *main;
    }

    std::unique_ptr<test::ScreenFixture> f;
    std::unique_ptr<TfrmMain> main;

private slots:
    void init()
    {
        f = std::make_unique<test::ScreenFixture>();
    }

    void cleanup()
    {
        f->boxes.whileShown = nullptr; // it may hold a finished test's locals
        main.reset();
        f.reset();
    }

    void menuOpensTheThreeMastersScreens()
    {
        TfrmMain &m = openMain();
        auto *menu = qobject_cast<TfrmMenu *>(m.hostedScreen());
        QVERIFY(menu);
        QVERIFY(menu->btnShisetuMaster->isEnabled());
        QVERIFY(menu->btnFurikomiTesuuryou->isEnabled());
        QVERIFY(menu->btnKakusyu->isEnabled());

        menu->btnShisetuMaster->click();
        QVERIFY(dynamic_cast<TfrmShisetuMaster *>(m.hostedScreen()));
        m.ShowScreen(ScreenFurikomiTesuuryou);
        QVERIFY(dynamic_cast<TfrmFurikomiTesuuryou *>(m.hostedScreen()));
        m.ShowScreen(ScreenKakusyu);
        QVERIFY(dynamic_cast<TfrmKakusyu *>(m.hostedScreen()));
        discardClosedScreens();
        QVERIFY2(f->boxes.empty(), "opening asks nothing; only leaving the settings reconnects");
    }

    void feeMasterAsksAfterTheMenuIsBackAndSaves()
    {
        f->data.addConsignor("0000000001", "ｺｳ");
        f->data.addRecipient("0000000001", 5, 1, "0000001", "ｲﾁ");
        TfrmMain &m = openMain();
        m.ShowScreen(ScreenFurikomiTesuuryou);
        QPointer<TfrmFurikomiTesuuryou> fees = dynamic_cast<TfrmFurikomiTesuuryou *>(m.hostedScreen());
        QVERIFY(fees);
        QVERIFY(fees->TabFurikomi->GridList->setCurrentLine(0));
        fees->TabFurikomi->chkTesuuryou->setChecked(true);
        fees->TabFurikomi->EditTesuuryou->setText("20000");

        bool menuHostedAtQuestion = false;
        f->boxes.whileShown = [&] { menuHostedAtQuestion = qobject_cast<TfrmMenu *>(m.hostedScreen()) != nullptr; };
        f->boxes.answer(IdYes);
        fees->btnMenu->click();
        QCOMPARE(f->boxes.count(), 1u);
        QVERIFY(menuHostedAtQuestion);
        QCOMPARE(f->data.value("M_受取人", "手数料金額", "委託者コード = '0000000001'"), 20000);
        discardClosedScreens();
        QVERIFY(!fees);
    }

    void settingsAreWrittenOnlyWhenLeftWithMenu()
    {
        TfrmMain &m = openMain();
        m.ShowScreen(ScreenKakusyu);
        auto *settingsScreen = dynamic_cast<TfrmKakusyu *>(m.hostedScreen());
        QVERIFY(settingsScreen);
        settingsScreen->EditTesuuryou->setText("700");

        // The end of the application drops the screen without saving.
        f->boxes.answer(IdYes);
        QVERIFY(m.close());
        main.reset();
        QCOMPARE(IniFile(f->iniPath()).readString("Tesuuryou", "TesuuryouKingaku", "<none>"), "<none>");

        TfrmMain &again = openMain();
        again.ShowScreen(ScreenKakusyu);
        settingsScreen = dynamic_cast<TfrmKakusyu *>(again.hostedScreen());
        QVERIFY(settingsScreen);
        settingsScreen->EditTesuuryou->setText("700");
        settingsScreen->btnMenu->click();
        QCOMPARE(IniFile(f->iniPath()).readString("Tesuuryou", "TesuuryouKingaku", "<none>"), "700");
        QVERIFY(qobject_cast<TfrmMenu *>(again.hostedScreen()));
    }
};

QObject *createHostingTest() { return new HostingTest; }

#include "hosting_test.moc"
