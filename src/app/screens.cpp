#include "app/screens.h"
#include "core/datamodule.h"
#include "shell/formmenu.h"
#include "import/frmimport.h"
#include "masters/formshisetumaster.h"
#include "masters/formfurikomitesuuryou.h"
#include "masters/formkakusyu.h"
#include "output/filehistory.h"
#include "output/frmfurikomiprint.h"

// The work screens: each is made known here with its header and one line
// in applicationScreens().

namespace pelanova {

namespace {

template <typename Screen>
HostedScreen *make(ScreenContext &context, QWidget *parent)
{
    return new Screen(context, parent);
}

} // namespace

ScreenFactories applicationScreens()
{
    ScreenFactories screens;
    screens[ScreenMenu] = make<TfrmMenu>;
    screens[ScreenImport] = make<TfrmImport>;
    screens[ScreenFurikomiPrint] = make<TfrmFurikomiPrint>;
    screens[ScreenShisetuMaster] = make<TfrmShisetuMaster>;
    screens[ScreenFurikomiTesuuryou] = make<TfrmFurikomiTesuuryou>;
    screens[ScreenKakusyu] = make<TfrmKakusyu>;
    return screens;
}

TfrmMain::Services applicationServices(MessageBoxes &messages, FileDialogs &files, DatePicker &dates)
{
    TfrmMain::Services services{messages, files, dates};
    services.linesWatcher = [](TDM1 &dm, MessageBoxes &boxes) -> std::unique_ptr<LinesWatcher> {
        return std::make_unique<output::StaleFileWatcher>(dm.ADOConFurikomi, boxes);
    };
    return services;
}

} // namespace pelanova
