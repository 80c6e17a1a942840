#pragma once

#include "core/lineswatcher.h"

#include "core/datalocation.h"
#include "shell/screencontext.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace pelanova {

class HostPanel;
class HostedScreen;
class TitleLabel;

// Creates the screen of one id, owned by parent, with the screen context.
using ScreenFactory = std::function<HostedScreen *(ScreenContext &context, QWidget *parent)>;
// One factory per screen id 0 to 5; an empty factory means the screen is not
// available (its menu button is disabled).
using ScreenFactories = std::array<ScreenFactory, 6>;

// The main window: the title band, and the hosting area that shows one
// screen at a time, switched only through ShowScreen.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    struct Services
    {
        MessageBoxes &messages;
        FileDialogs &files;
        DatePicker &dates;
        // Makes the screens' watcher of changes to the bank files' lines
        // (the application's record of bank files); none without it.
        std::function<std::unique_ptr<LinesWatcher>(TDM1 &, MessageBoxes &)> linesWatcher = {};
    };

    // Creates the data module on the executable's settings file and
    // database, then the menu, and hosts the menu.
    TfrmMain(const std::string &executablePath, Services services, ScreenFactories factories,
             QWidget *parent = nullptr);
    // The same with a data module that is already made (tests, tools).
    TfrmMain(std::unique_ptr<TDM1> dataModule, Services services, ScreenFactories factories,
             QWidget *parent = nullptr);
    ~TfrmMain() override;

    // 0 menu, 1 to 5 the work screens, 6 end (through the close question);
    // any other id does nothing.
    void ShowScreen(uint8_t screenId);

    // Check before the window is first shown: false (after telling the user)
    // when the own database is not open; the application must then end.
    bool FormShow();

    TDM1 &dm() const { return *m_dm; }
    ScreenContext &screenContext() { return *m_context; }
    HostedScreen *hostedScreen() const;
    // The live screen of an id (registry slot), or null.
    HostedScreen *screen(uint8_t screenId) const;

    TitleLabel *pnlTitle;
    HostPanel *FormPanel1;

protected:
    // FormCloseQuery: asks before the application ends.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();

    Services m_services;
    std::unique_ptr<LinesWatcher> m_linesWatcher;
    ScreenFactories m_factories;
    std::unique_ptr<TDM1> m_dm;
    std::optional<ScreenContext> m_context;
    std::array<QPointer<HostedScreen>, 6> m_screens;
};

// Runs the application with its main window on the data of `location`:
// writes the day's first backup of the own database, shows the window
// maximised and runs the event loop (exec), or ends with 1 when the own
// database is not open.
int runMainWindow(const DataLocation &location, TfrmMain::Services services, ScreenFactories screens,
                  const std::function<int()> &exec);

} // namespace pelanova
