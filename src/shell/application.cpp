#include "shell/application.h"

#include "core/unitapp.h"
#include "core/userinterface.h"

#include <exception>
#include <iostream>

namespace pelanova {

PelanovaApplication::PelanovaApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("pelanova"));
}

bool PelanovaApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showError(m_boxes, ErrorText(error).c_str());
    } catch (...) {
        showError(m_boxes, "不明なエラーが発生しました。");
    }
    return false;
}

void PelanovaApplication::showError(MessageBoxes *boxes, const char *text)
{
    if (boxes)
        boxes->messageBox(text, kAppTitle, MessageIcon::Error, MessageButtons::Ok, kDefaultButton1);
    else
        std::cerr << text << '\n';
}

} // namespace pelanova
