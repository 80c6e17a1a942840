#include "core/userinterface.h"

namespace pelanova {

std::vector<int> buttonResults(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return {IdOk};
    case MessageButtons::YesNo: return {IdYes, IdNo};
    case MessageButtons::YesNoCancel: return {IdYes, IdNo, IdCancel};
    case MessageButtons::AbortRetryIgnore: return {IdAbort, IdRetry, IdIgnore};
    }
    return {IdOk};
}

size_t defaultButtonIndex(MessageButtons buttons, int defaultButton)
{
    const size_t index = defaultButton == kDefaultButton3 ? 2 : defaultButton == kDefaultButton2 ? 1 : 0;
    return index < buttonResults(buttons).size() ? index : 0;
}

int defaultButtonResult(MessageButtons buttons, int defaultButton)
{
    return buttonResults(buttons)[defaultButtonIndex(buttons, defaultButton)];
}

std::string displayText(std::string text)
{
    std::string::size_type pos = 0;
    while ((pos = text.find("\n\r", pos)) != std::string::npos) {
        text.erase(pos + 1, 1);
        ++pos;
    }
    return text;
}

} // namespace pelanova
