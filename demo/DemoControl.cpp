// Drives the Mirvane running on the demo machine from another terminal, the way the
// window system would: a key typed on its window, a second start's activation, the
// minimise command, the close box.
//
//   VYN_MACHINE_DIR=build/demo-machine demo-control enter|esc|activate|minimize|close
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WinUser.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const char* what = argc > 1 ? argv[1] : "";
    UINT msg = 0;
    WPARAM wParam = 0;
    if (!std::strcmp(what, "enter")) msg = WM_CHAR, wParam = 13;
    else if (!std::strcmp(what, "esc")) msg = WM_CHAR, wParam = 27;
    else if (!std::strcmp(what, "activate")) msg = WM_APP + 0x191;
    else if (!std::strcmp(what, "minimize")) msg = WM_SYSCOMMAND, wParam = SC_MINIMIZE;
    else if (!std::strcmp(what, "close")) msg = WM_CLOSE;
    if (!msg) {
        std::fprintf(stderr, "usage: demo-control enter|esc|activate|minimize|close\n");
        return 2;
    }
    if (!PostToInstance("Ruvozava Corvala", msg, wParam, 0)) {
        std::fprintf(stderr, "demo-control: Mirvane is not running on this machine\n");
        return 1;
    }
    return 0;
}
