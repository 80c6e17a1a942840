#pragma once

// Progress that tests drive and inspect.

#include "core/userinterface.h"

#include <functional>
#include <string>

namespace testdata {

class RecordingProgress : public pelanova::Progress
{
public:
    void open() override { ++opened; cancel = false; isOpen = true; }
    void setMessage(const std::string &text) override { message = text; }
    void setRange(int64_t maximum) override { range = maximum; }
    void setPosition(int64_t p) override { position = p; }
    void show() override { if (!shownAt) shownAt = position + 1; }
    void processEvents() override
    {
        ++events;
        if (onEvents)
            onEvents(*this);
    }
    bool cancelRequested() const override { return cancel; }
    void close() override { ++closed; isOpen = false; }
    void setBusy(bool b) override { busy = b; }

    int opened = 0, closed = 0;
    bool isOpen = false, busy = false, cancel = false;
    std::string message;
    int64_t range = -1, position = -1, events = 0, shownAt = 0; // shownAt: 1-based block
    std::function<void(RecordingProgress &)> onEvents;
};

} // namespace testdata
