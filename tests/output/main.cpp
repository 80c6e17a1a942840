// The printed lists need a QApplication: the engine draws text, which needs
// the font database.
#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QTest>

#include <memory>

QObject *createTransferReportsTest();
QObject *createFurikomiPrintTest();

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    pelanova::installJapaneseFonts();
    int failures = 0;
    for (QObject *make : {createTransferReportsTest(), createFurikomiPrintTest()}) {
        std::unique_ptr<QObject> test(make);
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
