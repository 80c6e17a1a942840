#include "reports/printmsg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace pelanova {

namespace {
QPointer<TPrintMsg> g_notice;
}

TPrintMsg::TPrintMsg()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Now Printing..."));
    setFixedSize(243, 82);
    m_label = new QLabel(QStringLiteral("ただいま印刷中です。\nしばらくお待ち下さい．．．"), this);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(16);
    m_label->setFont(font);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_label->setPalette(palette);
    m_label->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TPrintMsg *TPrintMsg::showNotice()
{
    if (!g_notice)
        g_notice = new TPrintMsg;
    g_notice->show();
    g_notice->raise();
    g_notice->repaint();
    return g_notice;
}

void TPrintMsg::closeNotice()
{
    if (!g_notice)
        return;
    TPrintMsg *notice = g_notice;
    g_notice = nullptr;
    notice->hide();
    delete notice;
}

TPrintMsg *TPrintMsg::instance() { return g_notice; }

QString TPrintMsg::messageText() const { return m_label->text(); }

void TPrintMsg::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The notice stays in front while the job runs, even when another
    // window takes the activation.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) {
        QPointer<TPrintMsg> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->isVisible()) {
                self->raise();
                self->activateWindow();
            }
        });
    }
}

PrintingScope::PrintingScope(QWidget *window) : m_window(window)
{
    m_window->setEnabled(false);
    TPrintMsg::showNotice();
    drawNotice();
}

PrintingScope::~PrintingScope()
{
    TPrintMsg::closeNotice();
    QCoreApplication::processEvents();
    m_window->setEnabled(true);
}

void PrintingScope::drawNotice()
{
    if (TPrintMsg *notice = TPrintMsg::instance()) {
        notice->repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace pelanova
