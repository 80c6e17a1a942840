// The printed lists need a QApplication: the engine draws text, which needs
// the font database.
#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QTest>

#include <memory>

QObject *createTransferReportsTest();

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    pelanova::installJapaneseFonts();
    std::unique_ptr<QObject> test(createTransferReportsTest());
    return QTest::qExec(test.get(), argc, argv) == 0 ? 0 : 1;
}
