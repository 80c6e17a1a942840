#include "shell/application.h"

#include "widgets/guard.h"

namespace pelanova {

PelanovaApplication::PelanovaApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("pelanova"));
}

bool PelanovaApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    guard(m_boxes, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace pelanova
