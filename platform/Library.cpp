#include "Library.h"

#include "Classes.h"
#include "HostLink.h"
#include "LockedFile.h"
#include "Machine.h"
#include "WinVersion.h"
#include "SysUtils.h"

#include <dirent.h>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <sstream>

struct HINSTANCE__ {
    void* dl = nullptr;
    std::string native;  // the file found
    AnsiString path;     // the same, as the units see it
    int references = 0;
};

namespace {
std::mutex gMutex;
// Loaded libraries by the file found; the handle is the record's address.
std::map<std::string, HINSTANCE__*> gLoaded;

bool isLoaded(HMODULE m) {
    for (auto& [path, rec] : gLoaded)
        if (rec == m) return true;
    return false;
}

// The file in `dir` whose name equals `name` ignoring case; "" when none.
std::string findIgnoringCase(const std::string& dir, const std::string& name) {
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return "";
    std::string found;
    while (dirent* e = readdir(d)) {
        std::string entry = e->d_name;
        if (AnsiSameText(Utf8ToAnsi(entry), Utf8ToAnsi(name))) {
            std::string full = (dir.empty() ? "" : dir + "/") + entry;
            if (FileExists(Utf8ToAnsi(full))) {
                // An exact match wins over one that differs in case.
                if (found.empty() || entry == name) found = full;
            }
        }
    }
    closedir(d);
    return found;
}

std::string resolve(const char* fileName) {
    std::string native = NativePath(fileName);
    auto slash = native.rfind('/');
    if (slash == std::string::npos) return findIgnoringCase(NativePath(ExtractFileDir(ProgramFileName())), native);
    return findIgnoringCase(native.substr(0, slash), native.substr(slash + 1));
}

bool hidden(const AnsiString& modulePath, const char* procName) {
    // Read at each lookup, as a test may change it; most machines have none.
    std::string text;
    if (ReadFileContents(MachineFile("hidden-exports.txt"), text) != FileRead::Read) return false;
    std::istringstream in(text);
    std::string line;
    AnsiString module = ExtractFileName(modulePath);
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string lib, proc;
        if (!(ls >> lib >> proc) || lib[0] == '#') continue;
        if (AnsiSameText(Utf8ToAnsi(lib), module) && proc == procName) return true;
    }
    return false;
}
}  // namespace

HMODULE LoadLibraryA(const char* fileName) {
    if (!fileName || !*fileName) return nullptr;
    std::string path = resolve(fileName);
    if (path.empty()) return nullptr;
    std::lock_guard lock(gMutex);
    if (auto it = gLoaded.find(path); it != gLoaded.end()) {
        ++it->second->references;
        return it->second;
    }
    void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) return nullptr;
    // A library that follows the program's clock takes it before any other call.
    if (auto attach = reinterpret_cast<PFN_VynAttachHost>(dlsym(dl, kVynAttachHost))) attach(&ThisProgramAsHost());
    auto* rec = new HINSTANCE__{dl, path, Utf8ToAnsi(path), 1};
    gLoaded[path] = rec;
    return rec;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
    if (!module || !procName) return nullptr;
    void* dl;
    AnsiString path;
    {
        std::lock_guard lock(gMutex);
        if (!isLoaded(module)) return nullptr;
        dl = module->dl;
        path = module->path;
    }
    if (hidden(path, procName)) return nullptr;
    // The dial-up service's newer entry points exist only on the Windows the machine runs.
    if (AnsiSameText(ExtractFileName(path), "RASAPI32.DLL") && !RasExportExistsOnThisWindows(procName))
        return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(dl, procName));
}

bool FreeLibrary(HMODULE module) {
    std::lock_guard lock(gMutex);
    if (!module || !isLoaded(module)) return false;
    if (--module->references > 0) return true;
    gLoaded.erase(module->native);
    dlclose(module->dl);
    delete module;
    return true;
}

AnsiString ModuleFileName(HMODULE module) {
    std::lock_guard lock(gMutex);
    return module && isLoaded(module) ? module->path : AnsiString();
}
