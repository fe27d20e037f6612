#include "Resources.h"

#include "SysUtils.h"

#include <map>
#include <mutex>

namespace {
struct Table {
    std::mutex mutex;
    std::map<AnsiString, std::string_view> entries;
};

// Built on first use: the generated registrars run before main, in no set order.
Table& table() {
    static Table t;
    return t;
}
}  // namespace

void RegisterResource(const char* name, const unsigned char* data, std::size_t size) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    t.entries.emplace(UpperCase(name), std::string_view(reinterpret_cast<const char*>(data), size));
}

std::optional<std::string_view> FindResource(const AnsiString& name) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.entries.find(UpperCase(name));
    if (it == t.entries.end()) return std::nullopt;
    return it->second;
}

std::vector<AnsiString> ResourceNames() {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    std::vector<AnsiString> names;
    for (const auto& [name, bytes] : t.entries) names.push_back(name);
    return names;
}
