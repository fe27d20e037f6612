// The small files of the simulated machine, each read as the platform reads it: the first
// byte chooses the file, the rest is its content.
#include "FuzzTarget.h"

#include "platform/Dialogs.h"
#include "platform/HostMap.h"
#include "platform/Library.h"
#include "platform/Machine.h"
#include "platform/SysUtils.h"
#include "platform/WinVersion.h"
#include "platform/rassim/Devices.h"
#include "platform/rassim/Phonebook.h"

#include <cstdio>
#include <dlfcn.h>
#include <sstream>
#include <zlib.h>

namespace {
// A library that is surely there to look exports up in: zlib, which the layer links.
HMODULE zlibModule() {
    static HMODULE module = [] {
        Dl_info info{};
        if (!dladdr(reinterpret_cast<void*>(&zlibVersion), &info) || !info.dli_fname) return HMODULE(nullptr);
        return LoadLibraryA(info.dli_fname);
    }();
    return module;
}

// The first words of the content, to ask for what it names.
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; out.size() < 8 && in >> w;) out.push_back(w);
    return out;
}
}  // namespace

VYN_FUZZ_TARGET(MachineFiles, "machine_files") {
    if (size == 0) return;
    const char* const files[] = {"windows.txt",         "hosts.txt",   "hidden-exports.txt",
                                 "message-answers.txt", "devices.txt", "phonebook.txt"};
    std::size_t which = data[0] % std::size(files);
    const std::string path = MachineFile(files[which]);
    WriteFuzzFile(path, data + 1, size - 1);
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (which) {
    case 0:
        try {
            OSVERSIONINFOA info{};
            info.dwOSVersionInfoSize = sizeof info;
            FUZZ_CHECK(GetVersionExA(&info));
            FUZZ_CHECK(info.dwMajorVersion == 4 || info.dwMajorVersion == 5);
        } catch (const Exception&) {
            // a Windows no one knows: the start reports it
        }
        break;
    case 1:
        for (const std::string& host : words(text)) {
            HostTarget t = ResolveHost(Utf8ToAnsi(host), 80);
            FUZZ_CHECK(t.port >= 1 && t.port <= 65535);
        }
        break;
    case 2:
        if (HMODULE z = zlibModule())
            for (const std::string& name : words(text)) GetProcAddress(z, name.c_str());
        break;
    case 3:
        for (int i = 0; i < 3; ++i) MessageBox("?", "fuzz", MB_YESNO);
        std::remove(MachineFile("messages.log").c_str());
        break;
    case 4: InstalledDevices(); break;
    case 5: {
        std::size_t before = ReadPhonebook().size();
        if (StorePhonebookEntry("Ruvozava Corvala 1.3.0", std::string(16, 'x')) == 0) {
            PhonebookEntry e;
            FUZZ_CHECK(FindPhonebookEntry("RUVOZAVA CORVALA 1.3.0", e) && e.bytes == std::string(16, 'x'));
            FUZZ_CHECK(ReadPhonebook().size() >= before);
        }
        break;
    }
    }
    std::remove(path.c_str());
}
