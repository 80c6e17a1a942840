#include "app/screens.h"
#include "core/datalocation.h"
#include "core/userinterface.h"
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

    pelanova::DataLocation location;
    try {
        location = pelanova::locateData(QCoreApplication::applicationFilePath().toStdString(),
                                        pelanova::processEnvironment());
        pelanova::prepareDataLocation(location);
    } catch (const std::exception &error) {
        messages.messageBox(error.what(), pelanova::kAppTitle, pelanova::MessageIcon::Error,
                            pelanova::MessageButtons::Ok, pelanova::kDefaultButton1);
        return 1;
    }
    return pelanova::runMainWindow(location, {messages, files, dates}, pelanova::applicationScreens(),
                                   [&app] { return app.exec(); });
}
