#include "shell/hostedscreen.h"

#include <QCloseEvent>

namespace pelanova {

HostedScreen::HostedScreen(ScreenContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    setAutoFillBackground(true);
}

void HostedScreen::closeScreen()
{
    if (m_closing)
        return;
    m_closing = true;
    // The screen is discarded even when its close handling fails.
    struct Discard
    {
        HostedScreen *screen;
        ~Discard()
        {
            screen->hide();
            screen->deleteLater();
        }
    } discard{this};
    FormClose();
}

void HostedScreen::closeEvent(QCloseEvent *event)
{
    guarded([this] { closeScreen(); });
    event->accept();
}

} // namespace pelanova
