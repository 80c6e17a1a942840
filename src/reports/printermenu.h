#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QActionGroup;
class QMenu;

namespace pelanova {

// The preview's "プリンタの変更" submenu: one checkable entry per installed
// printer, the chosen one ticked; disabled when no printer is installed.
class PrinterMenu : public QObject
{
    Q_OBJECT

public:
    explicit PrinterMenu(QMenu *menu, QObject *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    // Lists the printers anew and ticks `current`.
    void rebuild(const QStringList &printers, const QString &current);
    // Ticks `printer` alone.
    void tick(const QString &printer);

signals:
    void chosen(const QString &printer);

private:
    QMenu *m_menu;
    QActionGroup *m_group = nullptr;
};

} // namespace pelanova
