#include "widgets/messageboxes.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace pelanova {

namespace {

struct ButtonDef
{
    QMessageBox::StandardButton button;
    const char *text;
    int result;
};

std::vector<ButtonDef> buttonDefs(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {{QMessageBox::Ok, "OK", IdOk}};
    case MessageButtons::YesNo:
        return {{QMessageBox::Yes, "はい", IdYes}, {QMessageBox::No, "いいえ", IdNo}};
    case MessageButtons::YesNoCancel:
        return {{QMessageBox::Yes, "はい", IdYes},
                {QMessageBox::No, "いいえ", IdNo},
                {QMessageBox::Cancel, "キャンセル", IdCancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, "中止", IdAbort},
                {QMessageBox::Retry, "再試行", IdRetry},
                {QMessageBox::Ignore, "無視", IdIgnore}};
    }
    return {{QMessageBox::Ok, "OK", IdOk}};
}

// What a box gives when it is closed without a button (Esc, close box): the
// answer that changes nothing.
int closedResult(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return IdOk;
    case MessageButtons::YesNo: return IdNo;
    case MessageButtons::YesNoCancel: return IdCancel;
    case MessageButtons::AbortRetryIgnore: return IdAbort;
    }
    return IdCancel;
}

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtMessageBoxes::QtMessageBoxes(QWidget *fallbackParent)
    : m_fallback(fallbackParent)
{
}

int QtMessageBoxes::messageBox(const std::string &text, const std::string &title, MessageIcon icon,
                               MessageButtons buttons, int defaultButton)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    if (!parent)
        parent = m_fallback;

    QMessageBox box(parent);
    box.setIcon(qtIcon(icon));
    box.setWindowTitle(QString::fromStdString(title));
    box.setTextFormat(Qt::PlainText);
    const QString shown = QString::fromStdString(displayText(text));
    box.setText(shown);
    // A list of findings reads line by line: give it the width of a line.
    if (shown.count(QLatin1Char('\n')) >= 2) {
        if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
            label->setMinimumWidth(560);
    }

    const std::vector<ButtonDef> defs = buttonDefs(buttons);
    std::vector<QPushButton *> created;
    for (const ButtonDef &def : defs) {
        QPushButton *button = box.addButton(def.button);
        button->setText(QString::fromUtf8(def.text));
        created.push_back(button);
    }
    box.setDefaultButton(created[defaultButtonIndex(buttons, defaultButton)]);
    const int closed = closedResult(buttons);
    for (size_t i = 0; i < defs.size(); ++i) {
        if (defs[i].result == closed)
            box.setEscapeButton(created[i]);
    }

    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    for (size_t i = 0; i < defs.size(); ++i) {
        if (clicked == created[i])
            return defs[i].result;
    }
    return closed;
}

} // namespace pelanova
