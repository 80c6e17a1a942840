#include "shell/startup.h"

#include "widgets/focusring.h"
#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace pelanova {

void keepFreedMemory()
{
#ifdef __GLIBC__
    // Blocks up to 32 MB come from the heap, which keeps up to 64 MB freed at
    // its end (by default a block freed from its own mapping leaves at once).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

bool prepareApplication(QApplication &app)
{
    keepFreedMemory();
    installJapaneseFonts();
    useScreenFont();
    installEnterPressesButtons(app);

    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    auto *translator = new QTranslator(&app);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace pelanova
