// Drives the Mirvane running on the demo machine from another terminal, the way the
// window system would: a key typed on its window, a second start's activation, the
// minimise command, the close box. And, the way an application on that machine would, it
// asks for an address, so the machine's dial-up service answers as AutoDial does.
//
//   VYN_MACHINE_DIR=build/demo-machine demo-control enter|esc|activate|minimize|close
//   VYN_MACHINE_DIR=build/demo-machine demo-control request <address>
#include "platform/Library.h"
#include "platform/Machine.h"
#include "platform/rassim/RasSimControl.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WinUser.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {
std::size_t threadCount() {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& t : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// The service of the demo's program folder answers the request; a hook it called may still
// be starting the dialer on a thread of its own, so this process waits for that to end.
int requestAddress(const char* address) {
    HMODULE service = LoadLibraryA(MachineFile("Program Files/Vyn/RASAPI32.DLL").c_str());
    auto request = reinterpret_cast<PFN_VynSimRequestAddress>(GetProcAddress(service, "VynSimRequestAddress"));
    if (!request) {
        std::fprintf(stderr, "demo-control: no dial-up service in the demo's program folder\n");
        return 1;
    }
    DWORD rc = request(address);
    FreeLibrary(service);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (threadCount() > 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::printf("AutoDial answered %lu (ras-calls.log has how, shell.log what it started)\n",
                static_cast<unsigned long>(rc));
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], "request")) return requestAddress(argv[2]);
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
        std::fprintf(stderr, "usage: demo-control enter|esc|activate|minimize|close|request <address>\n");
        return 2;
    }
    if (!PostToInstance("Ruvozava Corvala", msg, wParam, 0)) {
        std::fprintf(stderr, "demo-control: Mirvane is not running on this machine\n");
        return 1;
    }
    return 0;
}
