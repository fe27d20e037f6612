#include "DialerMachine.h"

#include "HttpTestServer.h"
#include "Pop3TestServer.h"
#include "TempMachine.h"
#include "platform/SysUtils.h"
#include "settings/Hosts.h"

#include <filesystem>

namespace fs = std::filesystem;

void PrepareDialerMachine(TempMachine& machine, const HttpTestServer& http) {
    machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
    machine.installDialUpService();
    fs::create_symlink(fs::read_symlink("/proc/self/exe"), machine.path("Mirvane.exe"));
    SetThousandSeparator('.');
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + kMailHost + " 127.0.0.1:" +
                                              std::to_string(Pop3TestServer::UnusedPort()) + "\n");
}
