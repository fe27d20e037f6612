// vyn-messagebox: one message box for code without a window system of its own (the hook
// libraries start it and wait); its exit code is the button pressed.
#include "platform/qt/MessageBoxHelper.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Taken before Qt removes its own options; the arguments are digits only anyway.
    std::vector<std::string> args(argv + 1, argv + argc);
    QApplication app(argc, argv);
    return RunMessageBoxHelper(args);
}
