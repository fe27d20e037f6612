#include "ShellApi.h"

#include "Machine.h"
#include "MachineLog.h"
#include "SysUtils.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <mutex>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {
std::mutex gLogMutex;
constexpr intptr_t kOpened = 42;

// Only the bytes that would break the line apart, and the escape's own "%", are escaped;
// backslashes of paths and 1252 letters are kept as they are.
constexpr MachineLog kLog{"shell.log", LogEscape::Percent};

void record(const ShellCall& call) {
    std::lock_guard lock(gLogMutex);
    kLog.Append({call.operation, call.file, call.parameters, call.directory, std::to_string(call.showCmd),
                 std::to_string(call.result)});
}

// "http://...", "mailto:..."; a drive letter ("C:") is not a scheme.
bool isAddress(const AnsiString& file) {
    auto colon = file.find(':');
    if (colon == AnsiString::npos || colon < 2) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = file[i];
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
    }
    return true;
}

// Splits a command line the platform's way: blanks separate, double quotes group.
std::vector<std::string> splitParameters(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    bool inQuotes = false, any = false;
    for (char c : s) {
        if (c == '"') {
            inQuotes = !inQuotes;
            any = true;
            continue;
        }
        if ((c == ' ' || c == '\t') && !inQuotes) {
            if (any) out.push_back(cur);
            cur.clear();
            any = false;
            continue;
        }
        cur += c;
        any = true;
    }
    if (any) out.push_back(cur);
    return out;
}

intptr_t errnoResult(int err) {
    switch (err) {
    case ENOENT: return SE_ERR_FNF;
    case ENOTDIR: return SE_ERR_PNF;
    case EACCES:
    case EPERM: return SE_ERR_ACCESSDENIED;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    case ENOMEM:
    case EAGAIN: return SE_ERR_OOM;
    default: return SE_ERR_NOASSOC;
    }
}

// Starts a process and reaps it when it ends, without waiting for it here.
intptr_t spawn(const std::string& program, const std::vector<std::string>& args, const std::string& dir) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    pid_t pid = 0;
    int err = program.find('/') == std::string::npos
                  ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                  : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return errnoResult(err);
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
    return kOpened;
}

intptr_t openWithDesktop(const std::string& target) {
    if (!MachineHasDesktop()) return kOpened;
    return spawn("xdg-open", {target}, "") == kOpened ? kOpened : intptr_t{SE_ERR_NOASSOC};
}

intptr_t open(const AnsiString& file, const AnsiString& parameters, const AnsiString& directory) {
    if (file.empty()) return SE_ERR_FNF;
    if (isAddress(file)) return openWithDesktop(AnsiToUtf8(file));
    std::string path = NativePath(file);
    std::string dir = NativePath(directory);
    if (path[0] != '/' && !dir.empty()) path = dir + "/" + path;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOTDIR) return SE_ERR_PNF;
        auto slash = path.rfind('/');
        struct stat parent {};
        if (slash != std::string::npos && slash > 0 && stat(path.substr(0, slash).c_str(), &parent) != 0)
            return SE_ERR_PNF;
        return SE_ERR_FNF;
    }
    if (S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0)
        return spawn(path, splitParameters(AnsiToUtf8(parameters)), dir);
    return openWithDesktop(path);
}

// The code "shell-errors.txt" forces on `operation`; false when none.
bool forcedError(const std::string& operation, intptr_t& code) {
    std::ifstream in(MachineFile("shell-errors.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string op, value;
        if (!(ls >> op >> value) || op[0] == '#' || op != operation) continue;
        code = static_cast<intptr_t>(StrToIntDef(value, 0));
        return true;
    }
    return false;
}

// A file the user may run is a valid program when it is an ELF image or a script.
bool validProgram(const std::string& path) {
    char head[4] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(head, sizeof head);
    auto n = in.gcount();
    return (n >= 2 && head[0] == '#' && head[1] == '!') ||
           (n == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F');
}

intptr_t findExecutable(const AnsiString& file, const AnsiString& directory, AnsiString& found) {
    namespace fs = std::filesystem;
    if (file.empty()) return SE_ERR_FNF;
    std::error_code ec;
    fs::path path = NativePath(file);
    if (path.is_relative() && !directory.empty()) path = fs::path(NativePath(directory)) / path;
    if (path.is_relative()) {
        fs::path cwd = fs::current_path(ec);
        if (ec) return SE_ERR_PNF;  // the current folder has gone
        path = cwd / path;
    }
    path = path.lexically_normal();
    struct stat st {};
    if (stat(path.parent_path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return SE_ERR_PNF;
    if (stat(path.c_str(), &st) != 0) return errno == ENOTDIR ? SE_ERR_PNF : SE_ERR_FNF;
    if (!S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0) return SE_ERR_NOASSOC;
    if (!validProgram(path)) return ERROR_BAD_FORMAT;
    found = Utf8ToAnsi(path.string());
    // A name 1252 cannot hold, or one the caller's buffer cannot, is no path to give back.
    if (AnsiToUtf8(found) != path.string() || found.size() + 1 > std::size_t(MAX_PATH)) {
        found.clear();
        return SE_ERR_PNF;
    }
    return kOpened;
}
}  // namespace

intptr_t FindExecutableA(const char* file, const char* directory, char* result) {
    ShellCall call{"FindExecutable", file ? file : "", "", directory ? directory : "", 0, 0};
    if (!forcedError("FindExecutable", call.result)) {
        try {
            call.result = findExecutable(call.file, call.directory, call.parameters);
        } catch (const std::bad_alloc&) {
            call.parameters.clear();
            call.result = 0;
        }
    }
    if (result) {
        call.parameters.copy(result, call.parameters.size());
        result[call.parameters.size()] = '\0';
    }
    record(call);
    return call.result;
}

intptr_t ShellExecuteA(void*, const AnsiString& operation, const AnsiString& file, const AnsiString& parameters,
                       const AnsiString& directory, int showCmd) {
    ShellCall call{operation, file, parameters, directory, showCmd, SE_ERR_NOASSOC};
    if (operation.empty() || SameText(operation, "open")) call.result = open(file, parameters, directory);
    record(call);
    return call.result;
}

std::vector<ShellCall> RecordedShellCalls() {
    std::lock_guard lock(gLogMutex);
    std::vector<ShellCall> out;
    for (const auto& f : kLog.Records(6))
        out.push_back({f[0], f[1], f[2], f[3], static_cast<int>(StrToIntDef(f[4], 0)),
                       static_cast<intptr_t>(StrToIntDef(f[5], 0))});
    return out;
}
