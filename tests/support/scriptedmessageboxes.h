#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/userinterface.h"

namespace pelanova::test {

// The message boxes of every test: each box is recorded and answered from the
// queue of scripted answers; a box with no answer left takes its default
// button, as the one rule of core says, and counts as unscripted, so that a
// forgotten answer never blocks a test.
class ScriptedMessageBoxes : public MessageBoxes
{
public:
    struct Box
    {
        std::string text;
        std::string title;
        MessageIcon icon;
        MessageButtons buttons;
        int defaultButton;
        int result;
    };

    void answer(int result) { m_answers.push_back(result); }

    int messageBox(const std::string &text, const std::string &title, MessageIcon icon, MessageButtons buttons,
                   int defaultButton) override
    {
        if (whileShown)
            whileShown();
        int result;
        if (m_answers.empty()) {
            result = defaultButtonResult(buttons, defaultButton);
            ++m_unscripted;
        } else {
            result = m_answers.front();
            m_answers.pop_front();
        }
        m_shown.push_back({text, title, icon, buttons, defaultButton, result});
        return result;
    }

    const std::vector<Box> &shown() const { return m_shown; }
    const Box &last() const { return m_shown.back(); }
    size_t count() const { return m_shown.size(); }
    bool empty() const { return m_shown.empty(); }
    int unscripted() const { return m_unscripted; }
    size_t answersLeft() const { return m_answers.size(); }
    // Forgets the boxes shown and the answers not taken.
    void clear()
    {
        m_answers.clear();
        m_shown.clear();
        m_unscripted = 0;
    }

    // Runs while a box is up, before it is answered (a real box runs an event
    // loop of its own meanwhile).
    std::function<void()> whileShown;

private:
    std::deque<int> m_answers;
    std::vector<Box> m_shown;
    int m_unscripted = 0;
};

} // namespace pelanova::test
