#include "app/screens.h"
#include "core/datalocation.h"
#include "core/userinterface.h"
#include "shell/application.h"
#include "shell/formcarender.h"
#include "shell/formmain.h"
#include "shell/startup.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Where the program's data lives: the user's folders for an installed
// program, beside it for a portable copy, or with "--folder DIR" in DIR as if
// the program were a portable copy there (scripts/run.sh --demo starts the
// demo this way).
pelanova::DataLocation dataLocation(const QStringList &arguments)
{
    const QString exe = QCoreApplication::applicationFilePath();
    const qsizetype at = arguments.indexOf(QStringLiteral("--folder"));
    if (at < 1 || at + 1 >= arguments.size())
        return pelanova::locateData(exe.toStdString(), pelanova::processEnvironment());
    return pelanova::portableLocation(
        QDir(arguments.at(at + 1)).absoluteFilePath(QFileInfo(exe).fileName()).toStdString());
}

} // namespace

int main(int argc, char **argv)
{
    pelanova::PelanovaApplication app(argc, argv);
    pelanova::prepareApplication(app);

    pelanova::QtMessageBoxes messages;
    pelanova::QtFileDialogs files;
    pelanova::QtDatePicker dates;
    app.setErrorDisplay(&messages);

    pelanova::DataLocation location;
    try {
        location = dataLocation(app.arguments());
        pelanova::prepareDataLocation(location);
    } catch (const std::exception &error) {
        messages.messageBox(error.what(), pelanova::kAppTitle, pelanova::MessageIcon::Error,
                            pelanova::MessageButtons::Ok, pelanova::kDefaultButton1);
        return 1;
    }
    return pelanova::runMainWindow(location, pelanova::applicationServices(messages, files, dates),
                                   pelanova::applicationScreens(),
                                   [&app] { return app.exec(); });
}
