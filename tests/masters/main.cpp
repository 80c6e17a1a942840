#include <gtest/gtest.h>

#include <QApplication>

#include "widgets/japanesefonts.h"

// The screens need a QApplication; tests run on the offscreen platform.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pelanova::installJapaneseFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
