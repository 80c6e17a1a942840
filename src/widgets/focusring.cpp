#include "widgets/focusring.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>

namespace pelanova {

void paintFocusRing(QPainter &painter, const QRect &rect, const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    QPen pen(palette.color(QPalette::Active, QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    painter.restore();
}

namespace {

class EnterPressesButtons : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || !(qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button)))
            return false;
        if (!button->hasFocus() || !button->isEnabled())
            return false;
        // A dialog's push button is pressed on Enter by Qt itself.
        if (auto *push = qobject_cast<QPushButton *>(button); push && push->autoDefault())
            return false;
        button->click();
        return true;
    }
};

} // namespace

void installEnterPressesButtons(QCoreApplication &app)
{
    const QString name = QStringLiteral("pelanova_enter_presses_buttons");
    if (app.findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *filter = new EnterPressesButtons(&app);
    filter->setObjectName(name);
    app.installEventFilter(filter);
}

} // namespace pelanova
