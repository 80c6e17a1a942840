#include "reports/pagejumpfield.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace pelanova {

PageJumpField::PageJumpField(QWidget *parent) : QLineEdit(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly);
}

bool PageJumpField::commit()
{
    // The message about a bad entry takes the focus away; that leaving is no
    // second commit.
    if (m_committing || !isModified())
        return true;
    m_committing = true;
    const QString entered = text().trimmed().isEmpty() ? QStringLiteral("0") : text().trimmed();
    bool ok = false;
    const int page = entered.toInt(&ok);
    if (!ok) {
        setFocus();
        selectAll();
        emit invalidEntry(entered);
        setFocus();
        m_committing = false;
        return false;
    }
    setText(page == 0 ? QString() : QString::number(page));
    setModified(false);
    if (page > 0)
        emit jumpRequested(page);
    emit committed();
    m_committing = false;
    return true;
}

bool PageJumpField::event(QEvent *event)
{
    // Ctrl+V is the preview's 画面表示, also while a page number is typed
    // here (a line edit would keep it for pasting).
    if (event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_V)) {
        event->ignore();
        return true;
    }
    return QLineEdit::event(event);
}

void PageJumpField::focusInEvent(QFocusEvent *event)
{
    setModified(false);
    QLineEdit::focusInEvent(event);
}

void PageJumpField::focusOutEvent(QFocusEvent *event)
{
    if (!m_committing)
        commit();
    QLineEdit::focusOutEvent(event);
}

void PageJumpField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        commit();
        selectAll();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace pelanova
