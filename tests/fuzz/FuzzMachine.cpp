#include "FuzzTarget.h"

#include "platform/Dialogs.h"
#include "platform/Machine.h"
#include "platform/SysUtils.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {
std::map<std::string, FuzzFunction>& targets() {
    static std::map<std::string, FuzzFunction> all;
    return all;
}

FuzzMachine makeMachine() {
    std::string tmpl = (fs::temp_directory_path() / "vyn-fuzz-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    FuzzMachine m{tmpl, tmpl + "/Program Files/Vyn"};
    fs::create_directories(m.programDir);
    SetMachineDir(m.dir);
    SetProgramFileName(Utf8ToAnsi(m.programDir + "/Mirvane.exe"));
    std::ofstream(m.dir + "/no-desktop");
    std::ofstream(m.dir + "/sound.txt") << "off\n";
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(TheFuzzMachine().dir, ec);
    });
    return m;
}
}  // namespace

bool RegisterFuzzTarget(const char* name, FuzzFunction function) {
    targets()[name] = function;
    return true;
}

FuzzFunction FindFuzzTarget(const std::string& name) {
    auto it = targets().find(name);
    return it == targets().end() ? nullptr : it->second;
}

const FuzzMachine& TheFuzzMachine() {
    // Never destroyed: the folder's removal at exit still needs its name.
    static const FuzzMachine* machine = new FuzzMachine(makeMachine());
    return *machine;
}

void WriteFuzzFile(const std::string& path, const uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void FuzzCheckFailed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}
