#include "app/screens.h"
#include "shell/application.h"
#include "shell/formcarender.h"
#include "shell/formmain.h"
#include "shell/startup.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The program takes its settings file and data/ from its own folder, or with
// "--folder DIR" from DIR as if it were installed there (scripts/run.sh --demo
// starts the demo this way).
std::string executablePath(const QStringList &arguments)
{
    const QString exe = QCoreApplication::applicationFilePath();
    const qsizetype at = arguments.indexOf(QStringLiteral("--folder"));
    if (at < 1 || at + 1 >= arguments.size())
        return exe.toStdString();
    return QDir(arguments.at(at + 1)).absoluteFilePath(QFileInfo(exe).fileName()).toStdString();
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

    return pelanova::runMainWindow(executablePath(app.arguments()), {messages, files, dates},
                                   pelanova::applicationScreens(), [&app] { return app.exec(); });
}
