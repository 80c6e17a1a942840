#pragma once

#include "core/userinterface.h"

#include <QPointer>
#include <QWidget>

#include <deque>
#include <string>
#include <vector>

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

// Message boxes for tests: every box is recorded, and answered from the
// queue of scripted answers; a box with no answer left takes its default
// button and counts as unscripted.
class ScriptedMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        std::string text;
        std::string title;
        MessageIcon icon;
        MessageButtons buttons;
        int defaultButton;
        int result;
    };

    void answer(int result) { m_answers.push_back(result); }
    int messageBox(const std::string &text, const std::string &title, MessageIcon icon,
                   MessageButtons buttons, int defaultButton) override;

    const std::vector<Shown> &shown() const { return m_shown; }
    const Shown &last() const { return m_shown.back(); }
    size_t count() const { return m_shown.size(); }
    int unscripted() const { return m_unscripted; }
    size_t answersLeft() const { return m_answers.size(); }
    void clear();

private:
    std::deque<int> m_answers;
    std::vector<Shown> m_shown;
    int m_unscripted = 0;
};

} // namespace pelanova
