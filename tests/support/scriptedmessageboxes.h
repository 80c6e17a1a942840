#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/userinterface.h"

namespace pelanova::test {

// Message boxes answered from a script: each box is recorded and returns the
// next queued answer. With the queue empty it answers the default button
// (OK for a single button), so a forgotten answer never blocks a test.
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
    };

    void answer(int result) { m_answers.push_back(result); }

    int messageBox(const std::string &text, const std::string &title, MessageIcon icon,
                   MessageButtons buttons, int defaultButton) override
    {
        boxes.push_back({text, title, icon, buttons, defaultButton});
        if (!m_answers.empty()) {
            const int result = m_answers.front();
            m_answers.pop_front();
            return result;
        }
        return defaultButtonResult(buttons, defaultButton);
    }

    const Box &last() const { return boxes.back(); }
    bool allAnswered() const { return m_answers.empty(); }

    std::vector<Box> boxes;

private:
    std::deque<int> m_answers;
};

} // namespace pelanova::test
