#pragma once

// What every benchmark program shares.

#include "core/userinterface.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace pelanova::bench {

using Clock = std::chrono::steady_clock;

// Message boxes of an unattended run: the text on stderr, the answer OK.
class StderrBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &text, const std::string &, MessageIcon, MessageButtons, int) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return IdOk;
    }
};

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace pelanova::bench
