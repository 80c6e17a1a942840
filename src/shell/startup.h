#pragma once

class QApplication;

namespace pelanova {

// Readies the application object for the screens, once, right after it is
// created: freed memory kept for reuse (keepFreedMemory); the Japanese fonts and the screen font; Qt's own texts (file and
// print dialogs, context menus, standard buttons) in Japanese from
// qtbase_ja.qm in Qt's translations folder; the Japanese locale for dates and
// numbers in Qt's widgets; Enter pressing the focused button. Returns false
// when Qt's Japanese translations are not installed: Qt's texts then stay
// English and everything else is done.
bool prepareApplication(QApplication &app);

// Large blocks freed (a preview's page image, a statement's sort, a report's
// rows) are kept for the next ones instead of being handed back to the
// system: memory the system hands out afresh costs a fault for every 4 kB
// page, some 8 ms for one page image on these machines, and the first page
// of a report would pay it for every block it needs.
void keepFreedMemory();

} // namespace pelanova
