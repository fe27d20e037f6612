// The test programs of the class library, the engine and the windows: the class library's Qt
// application lives from before the first test to after the last.
#include "platform/qt/ClassLibrary.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
// The offscreen display cannot raise, activate or shape windows and says so each time.
void quietOffscreen(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (msg.startsWith("This plugin does not support")) return;
    std::fprintf(stderr, "Qt %d: %s\n", int(type), qPrintable(msg));
}
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the program too, without the tests' environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreen);
    TClassLibrary library(argc, argv);
    return RUN_ALL_TESTS();
}
