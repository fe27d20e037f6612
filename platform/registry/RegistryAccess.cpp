#include "RegistryAccess.h"

#include "platform/Machine.h"
#include "platform/SysUtils.h"

#include <fstream>
#include <sstream>

std::vector<RegAccessRule> ParseRegistryAccessRules(std::string_view text) {
    std::vector<RegAccessRule> rules;
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        AnsiString t = Trim(Utf8ToAnsi(line));
        if (t.empty() || t[0] == '#' || t[0] == ';') continue;
        auto fail = [&](const std::string& what) {
            throw Exception("Registry access rules, line " + std::to_string(number) + ": " + what);
        };
        std::size_t blank = t.find_first_of(" \t");
        AnsiString word = LowerCase(t.substr(0, blank));
        AnsiString path = blank == std::string::npos ? AnsiString() : Trim(t.substr(blank));
        RegAccessRule rule{};
        if (word == "none") rule.access = RegAccess::None;
        else if (word == "read") rule.access = RegAccess::Read;
        else if (word == "full") rule.access = RegAccess::Full;
        else fail("unknown access \"" + line.substr(0, line.find_first_of(" \t")) + "\"");
        std::size_t slash = path.find('\\');
        if (!RegRootFromName(path.substr(0, slash), rule.root)) fail("unknown root in \"" + AnsiToUtf8(path) + "\"");
        if (slash != std::string::npos && !SplitRegPath(path.substr(slash + 1), rule.names))
            fail("empty key name in \"" + AnsiToUtf8(path) + "\"");
        rules.push_back(std::move(rule));
    }
    return rules;
}

RegAccess RegistryAccessFor(const std::vector<RegAccessRule>& rules, RegRoot root,
                            const std::vector<AnsiString>& names) {
    RegAccess access = RegAccess::Full;
    std::size_t best = 0;
    bool found = false;
    for (const auto& r : rules) {
        if (r.root != root || r.names.size() > names.size()) continue;
        bool covers = true;
        for (std::size_t i = 0; covers && i < r.names.size(); ++i) covers = RegNamesEqual(r.names[i], names[i]);
        // Equal depth: the later line wins, so a file can be amended at its end.
        if (covers && (!found || r.names.size() >= best)) {
            access = r.access;
            best = r.names.size();
            found = true;
        }
    }
    if (root == RegRoot::DynData && access == RegAccess::Full) access = RegAccess::Read;
    return access;
}

RegAccess RegistryAccessFor(RegRoot root, const std::vector<AnsiString>& names) {
    std::ifstream in(MachineFile("registry-access.txt"), std::ios::binary);
    if (!in) return RegistryAccessFor({}, root, names);
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return RegistryAccessFor(ParseRegistryAccessRules(text.str()), root, names);
    } catch (const Exception&) {
        return RegAccess::None;
    }
}
