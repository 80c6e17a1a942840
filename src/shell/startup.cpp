#include "shell/startup.h"

#include "widgets/focusring.h"
#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pelanova {

bool prepareApplication(QApplication &app)
{
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
