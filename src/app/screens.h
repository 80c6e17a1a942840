#pragma once

#include "shell/formmain.h"

namespace pelanova {

// The menu and every work screen of the application, one factory per id.
ScreenFactories applicationScreens();

} // namespace pelanova
