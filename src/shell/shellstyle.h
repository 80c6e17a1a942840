#pragma once

#include <QColor>

// Colours shared by the main window, the menu and the base screen.
namespace pelanova::shell {

inline const QColor kHeaderTop{255, 255, 255};
inline const QColor kHeaderBottom{177, 222, 239};
inline const QColor kHeaderLine{120, 160, 190};
inline const QColor kButtonTop{255, 255, 255};
inline const QColor kButtonBottom{196, 214, 232};

} // namespace pelanova::shell
