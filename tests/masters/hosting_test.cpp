// The masters screens hosted by the main window: opened from the menu, and
// left with メニュー or with the end of the application.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>

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

class HostingTest : public ::testing::Test
{
protected:
    TfrmMain &openMain()
    {
        main = std::make_unique<TfrmMain>(std::make_unique<TDM1>(f.iniPath(), f.dbPath(), &f.boxes),
                                          TfrmMain::Services{f.boxes, f.files, f.dates}, applicationScreens());
        main->resize(1100, 700);
        main->show();
        return *main;
    }

    test::ScreenFixture f;
    std::unique_ptr<TfrmMain> main;
};

TEST_F(HostingTest, MenuOpensTheThreeMastersScreens)
{
    TfrmMain &m = openMain();
    auto *menu = qobject_cast<TfrmMenu *>(m.hostedScreen());
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->btnShisetuMaster->isEnabled());
    EXPECT_TRUE(menu->btnFurikomiTesuuryou->isEnabled());
    EXPECT_TRUE(menu->btnKakusyu->isEnabled());

    menu->btnShisetuMaster->click();
    EXPECT_TRUE(dynamic_cast<TfrmShisetuMaster *>(m.hostedScreen()));
    m.ShowScreen(ScreenFurikomiTesuuryou);
    EXPECT_TRUE(dynamic_cast<TfrmFurikomiTesuuryou *>(m.hostedScreen()));
    m.ShowScreen(ScreenKakusyu);
    EXPECT_TRUE(dynamic_cast<TfrmKakusyu *>(m.hostedScreen()));
    discardClosedScreens();
    EXPECT_TRUE(f.boxes.empty()) << "opening asks nothing; only leaving the settings reconnects";
}

TEST_F(HostingTest, FeeMasterAsksAfterTheMenuIsBackAndSaves)
{
    f.data.addConsignor("0000000001", "ｺｳ");
    f.data.addRecipient("0000000001", 5, 1, "0000001", "ｲﾁ");
    TfrmMain &m = openMain();
    m.ShowScreen(ScreenFurikomiTesuuryou);
    QPointer<TfrmFurikomiTesuuryou> fees = dynamic_cast<TfrmFurikomiTesuuryou *>(m.hostedScreen());
    ASSERT_TRUE(fees);
    ASSERT_TRUE(fees->GridList->setCurrentLine(0));
    fees->chkTesuuryou->setChecked(true);
    fees->EditTesuuryou->setText("20000");
    test::renderIfAsked(m, "main_furikomitesuuryou");

    bool menuHostedAtQuestion = false;
    f.boxes.whileShown = [&] { menuHostedAtQuestion = qobject_cast<TfrmMenu *>(m.hostedScreen()) != nullptr; };
    f.boxes.answer(IdYes);
    fees->btnMenu->click();
    ASSERT_EQ(f.boxes.count(), 1u);
    EXPECT_TRUE(menuHostedAtQuestion);
    EXPECT_EQ(f.data.value("M_受取人", "手数料金額", "委託者コード = '0000000001'"), 20000);
    discardClosedScreens();
    EXPECT_FALSE(fees);
}

TEST_F(HostingTest, SettingsAreWrittenOnlyWhenLeftWithMenu)
{
    TfrmMain &m = openMain();
    m.ShowScreen(ScreenKakusyu);
    auto *settingsScreen = dynamic_cast<TfrmKakusyu *>(m.hostedScreen());
    ASSERT_TRUE(settingsScreen);
    settingsScreen->EditTesuuryou->setText("700");

    // The end of the application drops the screen without saving.
    f.boxes.answer(IdYes);
    EXPECT_TRUE(m.close());
    main.reset();
    EXPECT_EQ(IniFile(f.iniPath()).readString("Tesuuryou", "TesuuryouKingaku", "<none>"), "<none>");

    TfrmMain &again = openMain();
    again.ShowScreen(ScreenKakusyu);
    settingsScreen = dynamic_cast<TfrmKakusyu *>(again.hostedScreen());
    ASSERT_TRUE(settingsScreen);
    settingsScreen->EditTesuuryou->setText("700");
    settingsScreen->btnMenu->click();
    EXPECT_EQ(IniFile(f.iniPath()).readString("Tesuuryou", "TesuuryouKingaku", "<none>"), "700");
    EXPECT_TRUE(qobject_cast<TfrmMenu *>(again.hostedScreen()));
}

} // namespace
