// The report tests need a QApplication: the frame is a window, and the
// engine draws text, which needs the font database.

#include "widgets/japanesefonts.h"

#include <QApplication>
#include <QTest>

#include <memory>
#include <vector>

QObject *createReportEngineTest();
QObject *createReportFrameTest();

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    pelanova::installJapaneseFonts();
    std::vector<std::unique_ptr<QObject>> tests;
    tests.emplace_back(createReportEngineTest());
    tests.emplace_back(createReportFrameTest());
    int failures = 0;
    for (const auto &test : tests)
        failures += QTest::qExec(test.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
