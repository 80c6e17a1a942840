#pragma once

#include "shell/screencontext.h"
#include "widgets/guard.h"

#include <QWidget>

#include <utility>

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
    // Connects a signal to a handler of this screen that runs under the guard:
    // an error it throws is shown and goes no further.
    template <typename Sender, typename Signal, typename Handler>
    QMetaObject::Connection on(Sender *sender, Signal signal, Handler handler)
    {
        return connectGuarded(this, m_context.messages, sender, signal, std::move(handler));
    }
    // Runs f under the guard; false when it threw (the error has been shown).
    template <typename F>
    bool guarded(F &&f)
    {
        return guard(m_context.messages, std::forward<F>(f));
    }

    // Close handling of the screen; work screens extend it (save settings,
    // drop pending edits). Runs once, before the screen is discarded.
    virtual void FormClose() {}

    void closeEvent(QCloseEvent *event) override;

private:
    ScreenContext &m_context;
    bool m_closing = false;
};

} // namespace pelanova
