#pragma once

#include "core/userinterface.h"

#include <QPointer>
#include <QWidget>

#include <string>

namespace pelanova {

// Modal message boxes with Japanese button texts. A box is owned by the
// active modal dialog or the active window, else by the given fallback window.
class QtMessageBoxes : public MessageBoxes
{
public:
    explicit QtMessageBoxes(QWidget *fallbackParent = nullptr);
    void setFallbackParent(QWidget *parent) { m_fallback = parent; }

    int messageBox(const std::string &text, const std::string &title, MessageIcon icon,
                   MessageButtons buttons, int defaultButton) override;

private:
    QPointer<QWidget> m_fallback;
};

} // namespace pelanova
