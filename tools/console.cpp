#include "console.h"

#include <iostream>

namespace pelanova::cli {

int ConsoleMessageBoxes::messageBox(const std::string &text, const std::string &, MessageIcon icon,
                                    MessageButtons buttons, int defaultButton)
{
    std::ostream &out = icon == MessageIcon::Error || icon == MessageIcon::Warning ? std::cerr : std::cout;
    out << displayText(text) << '\n';
    const int index = defaultButton / 256;
    switch (buttons) {
    case MessageButtons::Ok: return IdOk;
    case MessageButtons::YesNo: return index == 0 ? IdYes : IdNo;
    case MessageButtons::YesNoCancel: return index == 0 ? IdYes : index == 1 ? IdNo : IdCancel;
    case MessageButtons::AbortRetryIgnore: return index == 0 ? IdAbort : index == 1 ? IdRetry : IdIgnore;
    }
    return IdOk;
}

} // namespace pelanova::cli
