// On a fresh machine: an application asks for an address no connection serves; the dial-up
// service calls the AutoDial handler of the entry the address maps to, Tebrin, which starts
// Brenwick with "-dial ". The login typed on its window dials the city's access number,
// the connection comes up and the provider gets its report; the close question, answered
// yes, hangs up and ends the program with 0.
#include "ProgramRun.h"

#include "editions/conventional/Destinations.h"
#include "platform/Library.h"
#include "platform/RasApi.h"
#include "platform/ShellApi.h"
#include "platform/qt/SingleInstance.h"
#include "platform/rassim/RasSimControl.h"
#include "settings/Hosts.h"
#include "support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
const AnsiString kDialer = "MirvaneRoaming.exe";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The first line of each request, and the body of the one whose first line is `wanted`.
std::string firstLines(const std::vector<std::string>& requests) {
    std::string out;
    for (const std::string& r : requests) out += r.substr(0, r.find("\r\n")) + "\n";
    return out;
}
std::string bodyOf(const std::vector<std::string>& requests, const std::string& wanted) {
    for (const std::string& r : requests)
        if (r.rfind(wanted + "\r\n", 0) == 0) return r.substr(r.find("\r\n\r\n") + 4);
    return "<none>";
}
}  // namespace

TEST(EndToEnd, AnAddressRequestStartsBrenwickThroughTebrinWhichDialsWithTheTypedLogin) {
    TempMachine machine;
    HttpTestServer http;
    machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
    machine.writeMachineFile("dial-script.txt", "dial connect after 1s states 0,1,2,3,4,5,14,18 speed 52000\n");
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost));
    // Not the default dialer (no), the charges notice (OK), the close question (yes).
    machine.writeMachineFile("message-answers.txt", "7\n1\n6\n");
    InstallProgram(machine, true, {"MirvaneRoaming.exe"});
    machine.installLibrary("Tebrin.dll");
    machine.writeProgramFile("tels", kDestinations);
    // Campinas from another area, through a carrier, pulse dialing, an outside line; no
    // mail check and no long-distance question, which only a user at the window answers.
    machine.writeProgramFile("Mirvane.ini",
                             "[Principal]\r\nEstado=SP\r\nCidade=Campinas\r\nDDD=41\r\nOperadora=21\r\n"
                             "LinhaExterna=0\r\nDiscagemPorTom=0\r\nModem=Modem Padr\xE3o 56K\r\n"
                             "ChecagemAutomaticaEmails=0\r\n");
    machine.writeProgramFile("MirvaneRoaming.ini", "[Principal]\r\nAvisarDDD=0\r\n");
    // The process the hook starts is nobody's to wait on: "Brenwick.exe" runs the same program
    // under its other name, offscreen, and writes down its output and its exit code.
    const std::string out = machine.dir() + "/dialer.out", exitFile = machine.dir() + "/dialer.exit";
    std::ofstream(machine.path("Brenwick.exe"))
        << "#!/bin/sh\nVYN_REPORT_PAINTS=1 QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 \"" << machine.path(kDialer)
        << "\" \"$@\" >'" << out << "' 2>&1\necho $? >'" << exitFile << ".part'\nmv '" << exitFile << ".part' '"
        << exitFile << "'\n";
    fs::permissions(machine.path("Brenwick.exe"), fs::perms::owner_all);
    http.script(HttpScript::Reply(200, "OK"));                // conexao.php
    http.script(HttpScript::Reply(200, "OK", "*1.3.0.28*"));  // versao.php

    // The entry an installed dialer leaves, with Tebrin as its handler, and the address the
    // application asks for mapped to it.
    const char* entryName = "Ruvozava Corvala 1.3.0";
    HMODULE service = LoadLibraryA(Utf8ToAnsi(machine.path("RASAPI32.DLL")).c_str());
    ASSERT_NE(service, nullptr);
    auto set = reinterpret_cast<PFN_RasSetEntryPropertiesA>(GetProcAddress(service, "RasSetEntryPropertiesA"));
    auto request = reinterpret_cast<PFN_VynSimRequestAddress>(GetProcAddress(service, "VynSimRequestAddress"));
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    std::strcpy(entry.szDeviceType, "modem");
    std::strcpy(entry.szAutodialDll, machine.programFile("Tebrin.dll").c_str());
    std::strcpy(entry.szAutodialFunc, "AutoDialHandler");
    ASSERT_EQ(set(nullptr, entryName, &entry, sizeof entry, nullptr, 0), 0u);
    machine.writeMachineFile("autodial.txt", std::string("www.vyn.com.br\t0\t0\t") + entryName + "\n");

    EXPECT_EQ(request("www.vyn.com.br"), 0u);
    ASSERT_TRUE(WaitFor([&] { return readFile(out).find("painted MainForm") != std::string::npos; }))
        << readFile(out) << readFile(machine.dir() + "/shell.log");
    FreeLibrary(service);
    bool started = false;
    for (const ShellCall& c : RecordedShellCalls())
        started |= c.operation == "open" && c.file == Utf8ToAnsi(machine.path("Brenwick.exe")) &&
                   c.parameters == "-dial ";
    EXPECT_TRUE(started) << readFile(machine.dir() + "/shell.log");

    // The login typed into the focused box, then Enter: the dial command.
    for (char key : std::string("maria\r")) ASSERT_TRUE(PostToInstance(kDialer, WM_CHAR, key, 0));
    ASSERT_TRUE(WaitFor(
        [&] { return bodyOf(http.requests(), "GET /private/corvala/versao.php HTTP/1.1") != "<none>"; }, 60000))
        << readFile(machine.path("log.txt"));
    ASSERT_TRUE(PostToInstance(kDialer, WM_CLOSE, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(exitFile); }, 30000));
    EXPECT_EQ(readFile(exitFile), "0\n") << readFile(out);

    // The handler called once; one dial, with the typed login and the city's number behind
    // pulse, outside line, carrier and area code.
    std::string handled, dials;
    std::istringstream calls(readFile(machine.dir() + "/ras-calls.log"));
    for (std::string line; std::getline(calls, line);) {
        if (line.find(" AutoDial ") != std::string::npos)
            handled += line.find(" handled=1 dwRetCode=0 outcome=\"handled\" ") != std::string::npos ? "handled\n"
                                                                                                     : line;
        if (line.find(" RasDialA ") != std::string::npos) dials += line + "\n";
    }
    EXPECT_EQ(handled, "handled\n");
    EXPECT_NE(dials.find(std::string("szEntryName=\"") + entryName + "\" szPhoneNumber=\"P0,0211932345678\""),
              std::string::npos)
        << dials;
    EXPECT_NE(dials.find(" szUserName=\"maria\" "), std::string::npos) << dials;
    EXPECT_EQ(std::count(dials.begin(), dials.end(), '\n'), 1) << dials;

    std::string log = readFile(machine.path("log.txt"));
    for (const char* said : {"Conectado a 52.000 bps", "Desconectado."})
        EXPECT_NE(log.find(said), std::string::npos) << said << "\n" << log;
    auto requests = http.requests();
    EXPECT_EQ(firstLines(requests),
              "POST /private/corvala/conexao.php HTTP/1.1\nGET /private/corvala/versao.php HTTP/1.1\n");
    EXPECT_EQ(bodyOf(requests, "POST /private/corvala/conexao.php HTTP/1.1"),
              "dis_login=maria&dis_version=1.3.0.28&dis_tel=1932345678&");

    std::vector<LoggedBox> boxes = LoggedBoxes(machine);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text,
              "Atenção: Se você está discando pela linha convencional, suas ligações\n"
              "para a Internet serão cobradas conforme preços da sua operadora."_a);
    EXPECT_EQ(boxes[2].text, "Você está conectado, deseja desconectar agora?"_a);
}
