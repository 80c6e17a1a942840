#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace pelanova {

// The wait cursor, and optionally a widget's redrawing suspended, for the
// length of a scope; both come back however the scope is left. The widget
// gets back the redrawing it had (scopes may nest) and is repainted at the
// end. Work that asks the user something while it runs keeps the normal
// cursor (Cursor::Unchanged) and only suspends the redrawing.
class BusyScope
{
public:
    enum class Cursor { Wait, Unchanged };

    explicit BusyScope(QWidget *frozen = nullptr, Cursor cursor = Cursor::Wait)
        : m_frozen(frozen), m_wait(cursor == Cursor::Wait)
    {
        if (m_wait)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_frozen) {
            m_wasUpdating = m_frozen->updatesEnabled();
            m_frozen->setUpdatesEnabled(false);
        }
    }
    ~BusyScope()
    {
        if (m_frozen) {
            m_frozen->setUpdatesEnabled(m_wasUpdating);
            m_frozen->update();
        }
        if (m_wait)
            QApplication::restoreOverrideCursor();
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    QPointer<QWidget> m_frozen;
    bool m_wait;
    bool m_wasUpdating = true;
};

} // namespace pelanova
