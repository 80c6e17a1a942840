#pragma once

class QApplication;

namespace pelanova {

// Readies the application object for the screens, once, right after it is
// created: the Japanese fonts and the screen font; Qt's own texts (file and
// print dialogs, context menus, standard buttons) in Japanese from
// qtbase_ja.qm in Qt's translations folder; the Japanese locale for dates and
// numbers in Qt's widgets; Enter pressing the focused button. Returns false
// when Qt's Japanese translations are not installed: Qt's texts then stay
// English and everything else is done.
bool prepareApplication(QApplication &app);

} // namespace pelanova
