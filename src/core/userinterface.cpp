#include "core/userinterface.h"

namespace pelanova {

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
