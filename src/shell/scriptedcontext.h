#pragma once

#include "shell/formcarender.h"
#include "shell/screencontext.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"

#include <vector>

namespace pelanova {

// A screen context for tests of one screen without the main window: every
// message box, file dialog and calendar is scripted, and the screen ids the
// screen asks to show are recorded.
class ScriptedScreenContext
{
public:
    explicit ScriptedScreenContext(TDM1 &dm)
        : context{dm, boxes, files, dates, [this](uint8_t id) { shownScreens.push_back(id); },
                  [](uint8_t) { return true; }}
    {
    }
    ScriptedScreenContext(const ScriptedScreenContext &) = delete;
    ScriptedScreenContext &operator=(const ScriptedScreenContext &) = delete;

    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    std::vector<uint8_t> shownScreens;
    ScreenContext context;
};

} // namespace pelanova
