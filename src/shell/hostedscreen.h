#pragma once

#include "shell/screencontext.h"

#include <QWidget>

namespace pelanova {

// A screen that the main window hosts: the menu and every work screen. It is
// created when it is opened and discarded when it is left; leaving runs its
// close handling (FormClose) exactly once, hides it, and deletes it once
// control is back in the event loop.
class HostedScreen : public QWidget
{
    Q_OBJECT

public:
    HostedScreen(ScreenContext &context, QWidget *parent);

    ScreenContext &context() const { return m_context; }

    // Leaves the screen. A second call does nothing.
    void closeScreen();
    bool isClosing() const { return m_closing; }

protected:
    // Close handling of the screen; work screens extend it (save settings,
    // drop pending edits). Runs once, before the screen is discarded.
    virtual void FormClose() {}

    void closeEvent(QCloseEvent *event) override;

private:
    ScreenContext &m_context;
    bool m_closing = false;
};

} // namespace pelanova
