// The masters screens need a QApplication; they run on the offscreen platform.

#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QTest>

#include <memory>

QObject *createShisetuMasterTest();
QObject *createFurikomiTesuuryouTest();
QObject *createKakusyuTest();
QObject *createHostingTest();
QObject *createBankMasterScreensTest();
QObject *createMasterFilesScreensTest();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pelanova::installJapaneseFonts();
    int failures = 0;
    for (QObject *make : {createShisetuMasterTest(), createFurikomiTesuuryouTest(), createKakusyuTest(),
                          createHostingTest(), createBankMasterScreensTest(),
                          createMasterFilesScreensTest()}) {
        std::unique_ptr<QObject> test(make);
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
