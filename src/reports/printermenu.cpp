#include "reports/printermenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace pelanova {

PrinterMenu::PrinterMenu(QMenu *menu, QObject *parent) : QObject(parent), m_menu(menu) {}

void PrinterMenu::rebuild(const QStringList &printers, const QString &current)
{
    m_menu->clear();
    delete m_group;
    m_group = new QActionGroup(this);
    m_group->setExclusive(true);
    for (const QString &name : printers) {
        QAction *action = m_menu->addAction(name);
        action->setCheckable(true);
        action->setChecked(name == current);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, name] { emit chosen(name); });
    }
    m_menu->setEnabled(!printers.isEmpty());
}

void PrinterMenu::tick(const QString &printer)
{
    for (QAction *action : m_group->actions())
        action->setChecked(action->text() == printer);
}

} // namespace pelanova
