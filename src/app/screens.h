#pragma once

#include "shell/formmain.h"

namespace pelanova {

// The menu and every work screen of the application, one factory per id.
ScreenFactories applicationScreens();

// The services of the application's main window: the boxes, dialogs and
// calendar given, and the record of bank files watching the changes.
TfrmMain::Services applicationServices(MessageBoxes &messages, FileDialogs &files, DatePicker &dates);

} // namespace pelanova
