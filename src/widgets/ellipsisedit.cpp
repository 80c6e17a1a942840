#include "widgets/ellipsisedit.h"

#include <QToolButton>

namespace pelanova {

EllipsisEdit::EllipsisEdit(QWidget *parent)
    : QLineEdit(parent), m_button(new QToolButton(this))
{
    m_button->setText(QStringLiteral("…"));
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    connect(m_button, &QToolButton::clicked, this, &EllipsisEdit::ellipsisClicked);
}

void EllipsisEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int side = qMax(10, height() - 4);
    m_button->setGeometry(width() - side - 2, 2, side, side);
    setTextMargins(0, 0, side + 2, 0);
}

} // namespace pelanova
