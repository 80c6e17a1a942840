#include "shell/hostpanel.h"

#include "shell/hostedscreen.h"

namespace pelanova {

HostPanel::HostPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormPanel1"));
}

void HostPanel::setScreen(HostedScreen *screen)
{
    Cover cover(this);
    if (m_hosted && m_hosted != screen)
        m_hosted->hide();
    m_hosted = screen;
    if (!screen)
        return;
    if (screen->parentWidget() != this)
        screen->setParent(this);
    screen->setWindowFlags(Qt::Widget);
    layoutScreen();
    screen->show();
    screen->raise();
}

void HostPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutScreen();
}

void HostPanel::layoutScreen()
{
    if (m_hosted)
        m_hosted->setGeometry(rect());
}

HostPanel::Cover::Cover(HostPanel *panel)
{
    if (!panel->isVisible())
        return;
    auto *cover = new QWidget(panel);
    cover->setAutoFillBackground(true);
    cover->setGeometry(panel->rect());
    cover->show();
    cover->raise();
    m_cover = cover;
}

HostPanel::Cover::~Cover()
{
    delete m_cover.data();
}

} // namespace pelanova
