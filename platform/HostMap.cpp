#include "HostMap.h"

#include "Machine.h"
#include "SysUtils.h"

#include <fstream>
#include <sstream>

HostTarget ResolveHost(const AnsiString& host, int defaultPort) {
    std::ifstream in(MachineFile("hosts.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream ls(line);
        std::string name, target;
        if (!(ls >> name >> target)) continue;
        if (!SameText(name, host)) continue;
        HostTarget t{target, defaultPort};
        if (auto colon = target.rfind(':'); colon != std::string::npos) {
            t.address = target.substr(0, colon);
            t.port = static_cast<int>(StrToIntDef(target.substr(colon + 1), defaultPort));
        }
        if (t.port < 1 || t.port > 65535) continue;  // no port a socket takes: not a target
        return t;
    }
    return {AnsiToUtf8(host), defaultPort};
}
