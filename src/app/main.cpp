#include "app/screens.h"
#include "shell/application.h"
#include "shell/formcarender.h"
#include "shell/formmain.h"
#include "shell/startup.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"

int main(int argc, char **argv)
{
    pelanova::PelanovaApplication app(argc, argv);
    pelanova::prepareApplication(app);

    pelanova::QtMessageBoxes messages;
    pelanova::QtFileDialogs files;
    pelanova::QtDatePicker dates;
    app.setErrorDisplay(&messages);

    return pelanova::runMainWindow(QCoreApplication::applicationFilePath().toStdString(),
                                   {messages, files, dates}, pelanova::applicationScreens(), [&app] { return app.exec(); });
}
