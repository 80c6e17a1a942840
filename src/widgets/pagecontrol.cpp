#include "widgets/pagecontrol.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>

namespace pelanova {

PageControl::PageControl(QWidget *parent)
    : QTabWidget(parent)
{
    tabBar()->installEventFilter(this);
    setFocusPolicy(Qt::TabFocus);
}

void PageControl::setTabWidth(int pixels)
{
    tabBar()->setStyleSheet(pixels > 0 ? QStringLiteral("QTabBar::tab { width: %1px; }").arg(pixels) : QString());
}

bool PageControl::allowChange(int to)
{
    if (to < 0 || to == currentIndex())
        return true;
    if (!m_question)
        return true;
    try {
        return m_question(currentIndex(), to);
    } catch (...) {
        return false;
    }
}

bool PageControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tabBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && !allowChange(tabBar()->tabAt(mouse->position().toPoint())))
                return true;
            break;
        }
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            int to = -1;
            if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Up)
                to = currentIndex() - 1;
            else if (key->key() == Qt::Key_Right || key->key() == Qt::Key_Down)
                to = currentIndex() + 1;
            else if (key->key() == Qt::Key_Home)
                to = 0;
            else if (key->key() == Qt::Key_End)
                to = count() - 1;
            if (to >= 0 && to < count() && !allowChange(to))
                return true;
            break;
        }
        case QEvent::Wheel:
            return true; // the wheel never turns pages
        default:
            break;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

void PageControl::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) && count() > 1 &&
        (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        const bool back = key == Qt::Key_Backtab || key == Qt::Key_PageUp ||
                          (key == Qt::Key_Tab && (event->modifiers() & Qt::ShiftModifier));
        const int to = (currentIndex() + (back ? count() - 1 : 1)) % count();
        if (!allowChange(to)) {
            event->accept();
            return;
        }
    }
    QTabWidget::keyPressEvent(event);
}

} // namespace pelanova
