#pragma once

#include <cstdint>
#include <functional>

namespace pelanova {

class TDM1;
class MessageBoxes;
class FileDialogs;
class DatePicker;
class LinesWatcher;

// Screen ids of the main window's ShowScreen.
enum ScreenId : uint8_t {
    ScreenMenu = 0,
    ScreenImport = 1,
    ScreenFurikomiPrint = 2,
    ScreenShisetuMaster = 3,
    ScreenFurikomiTesuuryou = 4,
    ScreenKakusyu = 5,
    ScreenEnd = 6,
};

// What every screen is given: the data module with the connections and the
// settings, the message boxes, the file dialogs, the calendar, and the way to
// switch screens. The main window keeps it alive as long as any screen.
struct ScreenContext
{
    TDM1 &dm;
    MessageBoxes &messages;
    FileDialogs &files;
    DatePicker &dates;
    std::function<void(uint8_t)> showScreen;
    // Whether the screen of this id can be opened.
    std::function<bool(uint8_t)> screenAvailable;
    // Told of changes to the lines bank files are made of; may be null.
    LinesWatcher *linesWatcher = nullptr;
};

} // namespace pelanova
