#include "Machine.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>

namespace {
std::mutex gMutex;
std::string gMade;  // the last directory made sure of

std::string fromEnvironment() {
    if (const char* env = std::getenv("VYN_MACHINE_DIR"); env && *env) return env;
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base = data && *data ? data : std::string(home ? home : "/tmp") + "/.local/share";
    return base + "/vyn/machine";
}
}  // namespace

std::string MachineDir() {
    std::string dir = fromEnvironment();
    std::lock_guard lock(gMutex);
    if (dir != gMade) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        gMade = dir;
    }
    return dir;
}

std::string MachineFile(const std::string& name) { return MachineDir() + "/" + name; }

void SetMachineDir(const std::string& dir) {
    setenv("VYN_MACHINE_DIR", dir.c_str(), 1);
    MachineDir();
}

bool MachineHasDesktop() {
    if (const char* env = std::getenv("VYN_NO_DESKTOP"); env && *env) return false;
    struct stat st {};
    return stat(MachineFile("no-desktop").c_str(), &st) != 0;
}
