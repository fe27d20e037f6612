// The engine's timers and its hand-over to the UI thread need the class library's Qt
// application before the first test and after the last.
#include "platform/qt/ClassLibrary.h"

#include <QString>
#include <QtGlobal>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the program too, without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TClassLibrary library(argc, argv);
    return RUN_ALL_TESTS();
}
