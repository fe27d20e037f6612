#include "Machine.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>

namespace {
std::mutex gMutex;
std::string gDir;
}

std::string MachineDir() {
    std::lock_guard lock(gMutex);
    if (gDir.empty()) {
        if (const char* env = std::getenv("VYN_MACHINE_DIR"); env && *env) {
            gDir = env;
        } else {
            const char* data = std::getenv("XDG_DATA_HOME");
            const char* home = std::getenv("HOME");
            std::string base = data && *data ? data : std::string(home ? home : "/tmp") + "/.local/share";
            gDir = base + "/vyn/machine";
        }
        std::error_code ec;
        std::filesystem::create_directories(gDir, ec);
    }
    return gDir;
}

std::string MachineFile(const std::string& name) { return MachineDir() + "/" + name; }

void SetMachineDir(const std::string& dir) {
    std::lock_guard lock(gMutex);
    gDir = dir;
    std::error_code ec;
    std::filesystem::create_directories(gDir, ec);
}

bool MachineHasDesktop() {
    if (const char* env = std::getenv("VYN_NO_DESKTOP"); env && *env) return false;
    struct stat st {};
    return stat(MachineFile("no-desktop").c_str(), &st) != 0;
}
