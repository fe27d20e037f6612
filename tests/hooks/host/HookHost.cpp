// A program of the kind that loads the hooks in real life: it knows nothing of the platform
// layer, so the library runs on its own copy (the machine directory from VYN_MACHINE_DIR).
//     HookHost <library path> <export> [entry name]
// Calls the export once as dial-up networking would, prints "result <n> code <n>", then waits
// (at most 10 s) until the threads the call started have ended, and exits 0 when they did.
#include "platform/RasHooks.h"
#include "support/ThreadWatch.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    ThreadWatch threads;
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::printf("cannot load: %s\n", dlerror());
        return 2;
    }
    void* entry = dlsym(lib, argv[2]);
    if (!entry) return 2;
    std::string name = argc > 3 ? argv[3] : "Ruvozava Corvala";
    std::u16string wide(name.begin(), name.end());
    long result = -1;
    DWORD code = 0xFFFFFFFF;
    if (!std::strcmp(argv[2], "RasCustomDial")) {
        HRASCONN handle = 0;
        result = reinterpret_cast<PFN_RasCustomDial>(entry)(nullptr, nullptr, nullptr, nullptr, 1, nullptr, &handle,
                                                            0);
    } else if (!std::strcmp(argv[2], "RasCustomDialDlg")) {
        RASDIALDLG info{};
        info.dwSize = sizeof info;
        result = reinterpret_cast<PFN_RasCustomDialDlg>(entry)(nullptr, 0, nullptr, wide.data(), nullptr, &info,
                                                               nullptr);
    } else if (!std::strcmp(argv[2], "AutoDialHandlerA")) {
        result = reinterpret_cast<PFN_AutoDialHandlerA>(entry)(nullptr, name.data(), nullptr, &code);
    } else if (!std::strcmp(argv[2], "AutoDialHandlerW")) {
        result = reinterpret_cast<PFN_AutoDialHandlerW>(entry)(nullptr, wide.data(), nullptr, &code);
    } else {
        return 2;
    }
    std::printf("result %ld code %ld\n", result, static_cast<long>(code == 0xFFFFFFFF ? -1 : long(code)));
    std::fflush(stdout);
    return threads.WaitUntilEnded(10000) ? 0 : 1;
}
