#include "HttpLibrary.h"

#include "HttpClient.h"
#include "SysUtils.h"

#include <dlfcn.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace {
std::mutex gMutex;
std::string gName = "libcurl.so.4";                                   // under gMutex
std::map<std::string, std::unique_ptr<const CurlFunctions>> gLoaded;  // under gMutex; never freed
std::atomic<const CurlFunctions*> gCurrent{nullptr};

const CurlFunctions& loadLocked() {
    if (auto it = gLoaded.find(gName); it != gLoaded.end()) return *it->second;
    const std::string why = "Could not load the HTTP library " + gName + ": ";
    // Local: its symbols serve only this table, never the program or another library.
    void* handle = dlopen(gName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        throw Exception(why + (error ? error : "not found"));
    }
    auto table = std::make_unique<CurlFunctions>();
    std::string missing;
#define VYN_CURL_FIND(name)                                                      \
    table->name = reinterpret_cast<decltype(table->name)>(dlsym(handle, #name)); \
    if (!table->name && missing.empty()) missing = #name;
    VYN_CURL_FUNCTIONS(VYN_CURL_FIND)
#undef VYN_CURL_FIND
    if (!missing.empty()) {
        dlclose(handle);
        throw Exception(why + "it has no " + missing);
    }
    // Once per library, before any request of this process uses it. One that failed here
    // may have set something up: it stays mapped.
    if (CURLcode rc = table->curl_global_init(CURL_GLOBAL_DEFAULT); rc != CURLE_OK)
        throw Exception(why + table->curl_easy_strerror(rc));
    return *gLoaded.emplace(gName, std::move(table)).first->second;
}
}  // namespace

const CurlFunctions& LoadHttpLibrary() {
    std::lock_guard lock(gMutex);
    const CurlFunctions& f = loadLocked();
    gCurrent.store(&f, std::memory_order_release);
    return f;
}

const CurlFunctions& HttpLibrary() { return *gCurrent.load(std::memory_order_acquire); }

void SetHttpLibraryName(const std::string& soname) {
    std::lock_guard lock(gMutex);
    gName = soname;
}

std::string HttpLibraryName() {
    std::lock_guard lock(gMutex);
    return gName;
}
