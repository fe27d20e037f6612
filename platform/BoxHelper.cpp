#include "BoxHelper.h"

#include "Machine.h"

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {
std::mutex gMutex;
std::string gPath;  // named by a test

const char kDigits[] = "0123456789abcdef";

std::string toHex(const AnsiString& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

int digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool fromHex(const std::string& hex, AnsiString& out) {
    if (hex.size() % 2) return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// The helper in `folder`, when it is there to run.
std::string helperIn(const fs::path& folder) {
    fs::path p = folder / kBoxHelperName;
    return access(p.c_str(), X_OK) == 0 ? p.string() : std::string();
}
}  // namespace

std::vector<std::string> BoxHelperArguments(const MessageBoxRequest& r) {
    return {std::to_string(r.flags), toHex(r.caption), toHex(r.text)};
}

bool ParseBoxHelperArguments(const std::vector<std::string>& args, MessageBoxRequest& r) {
    if (args.size() != 3 || args[0].empty() || args[0].size() > 10) return false;
    unsigned long long flags = 0;
    for (char c : args[0]) {
        if (c < '0' || c > '9') return false;
        flags = flags * 10 + static_cast<unsigned>(c - '0');
    }
    if (flags > 0xFFFFFFFFull) return false;
    r.flags = static_cast<unsigned>(flags);
    return fromHex(args[1], r.caption) && fromHex(args[2], r.text);
}

bool BoxHelperWanted() { return (set("DISPLAY") || set("WAYLAND_DISPLAY")) && MachineHasDesktop(); }

std::string BoxHelperPath() {
    {
        std::lock_guard lock(gMutex);
        if (!gPath.empty()) return gPath;
    }
    Dl_info info{};
    std::error_code ec;
    if (dladdr(reinterpret_cast<void*>(&BoxHelperPath), &info) && info.dli_fname && *info.dli_fname) {
        fs::path module = fs::canonical(info.dli_fname, ec);
        if (!ec)
            if (std::string p = helperIn(module.parent_path()); !p.empty()) return p;
    }
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : helperIn(program.parent_path());
}

void SetBoxHelperPath(const std::string& path) {
    std::lock_guard lock(gMutex);
    gPath = path;
}

int PresentWithBoxHelper(const MessageBoxRequest& request) {
    std::string helper = BoxHelperPath();
    if (helper.empty()) return 0;
    std::vector<std::string> args = BoxHelperArguments(request);
    std::vector<char*> argv{helper.data()};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, helper.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
    // The caller waits for the user, as a task-modal box holds its thread.
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return 0;
    if (!WIFEXITED(status)) return 0;
    int answer = WEXITSTATUS(status);
    return answer == IDOK || answer == IDCANCEL || answer == IDYES || answer == IDNO ? answer : 0;
}
