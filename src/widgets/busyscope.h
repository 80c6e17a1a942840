#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace pelanova {

// The wait cursor, and optionally a widget's redrawing suspended, for the
// length of a scope; both come back however the scope is left. The widget is
// repainted at the end.
class BusyScope
{
public:
    explicit BusyScope(QWidget *frozen = nullptr) : m_frozen(frozen)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_frozen)
            m_frozen->setUpdatesEnabled(false);
    }
    ~BusyScope()
    {
        if (m_frozen) {
            m_frozen->setUpdatesEnabled(true);
            m_frozen->update();
        }
        QApplication::restoreOverrideCursor();
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    QPointer<QWidget> m_frozen;
};

} // namespace pelanova
