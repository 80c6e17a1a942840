#include "clicontext.h"

#include <iostream>

namespace pelanova::cli {

int ConsoleMessageBoxes::messageBox(const std::string &text, const std::string &, MessageIcon icon,
                                    MessageButtons buttons, int defaultButton)
{
    std::ostream &out = icon == MessageIcon::Error || icon == MessageIcon::Warning ? std::cerr : std::cout;
    out << displayText(text) << '\n';
    return defaultButtonResult(buttons, defaultButton);
}

} // namespace pelanova::cli
