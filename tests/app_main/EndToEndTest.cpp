// Mirvane.exe on a fresh machine, from start to close: the first showing's question, a dial
// that fails once and connects at the redial, the connected sequence against the local
// dialer service (phone list, failed-dial upload, connection report, version check), the
// telecom page, the activation that brings the window back, and the close that hangs up.
// The dial is started the way a key typed on the window starts it: WM_CHAR Enter sent to
// the running instance. The window's picture is kept beside the test program as
// end-to-end-window.png.
#include "ProgramRun.h"

#include "app/Main.h"
#include "platform/qt/SingleInstance.h"
#include "settings/Hosts.h"
#include "support/HttpTestServer.h"
#include "support/Pop3TestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

// The first line of each request ("GET /private/corvala/tels HTTP/1.1") and its body.
std::pair<std::string, std::string> requestParts(const std::string& raw) {
    std::string first = raw.substr(0, raw.find("\r\n"));
    std::size_t body = raw.find("\r\n\r\n");
    return {first, body == std::string::npos ? "" : raw.substr(body + 4)};
}

// `wanted` appears in `lines` in this order (other lines may come between).
::testing::AssertionResult inOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    std::size_t at = 0;
    for (const std::string& w : wanted) {
        while (at < lines.size() && lines[at] != w) ++at;
        if (at == lines.size()) return ::testing::AssertionFailure() << "missing, or out of order: " << AnsiToUtf8(w);
        ++at;
    }
    return ::testing::AssertionSuccess();
}

TEST(EndToEnd, StartDialRedialConnectReportComeBackAndCloseOnAFreshMachine) {
    TempMachine machine;
    HttpTestServer http;
    Pop3TestServer pop(Pop3Script::Messages(3));
    machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
    machine.writeMachineFile("dial-script.txt",
                             "dial fail 676 at ConnectDevice after 1s\n"
                             "dial connect after 2s states 0,1,2,3,4,5,14,18 speed 52000\n"
                             "text 676 A linha est\xC3\xA1 ocupada.\n");
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + pop.hostsLine(kMailHost));
    machine.writeMachineFile("message-answers.txt", "6\n6\n");
    fs::create_directories(machine.dir() + "/snapshots");
    InstallProgram(machine);
    // A phone list two days old: the connection brings a new one.
    fs::path tels = machine.path("tels");
    fs::last_write_time(tels, fs::file_time_type::clock::now() - std::chrono::hours(48));
    std::string newList = readFile(VYN_DIST_DIR "/tels");
    newList.insert(newList.rfind("</ESTADOS>"), "\n");
    http.script(HttpScript::Reply(200, "OK", newList));       // tels
    http.script(HttpScript::Reply(200, "OK"));                // log.php
    http.script(HttpScript::Reply(200, "OK"));                // conexao.php
    http.script(HttpScript::Reply(200, "OK", "*1.3.0.28*"));  // versao.php

    ProgramRun run(machine);
    ASSERT_FALSE(run.waitForLine("painted MainForm").isEmpty());
    std::string snapshot = machine.dir() + "/snapshots/MainForm.png";
    ASSERT_TRUE(WaitFor([&] { return fs::exists(snapshot); }));

    // Enter on the window: the dial, the failure, the redial 7 s later, the connection.
    ASSERT_TRUE(PostToInstance(kProgramTitle, WM_CHAR, 13, 0));
    auto shell = [&] { return readFile(machine.dir() + "/shell.log"); };
    ASSERT_TRUE(WaitFor([&] { return shell().find(kTelecomHost) != std::string::npos; }, 60000))
        << readFile(machine.path("log.txt"));

    // Back from the tray as a second start would bring it; its picture once painted again.
    fs::remove(snapshot);
    ASSERT_TRUE(PostToInstance(kProgramTitle, WM_ACTIVATEINSTANCE, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(snapshot); }));
    fs::copy_file(snapshot, fs::read_symlink("/proc/self/exe").parent_path() / "end-to-end-window.png",
                  fs::copy_options::overwrite_existing);

    // Closing while connected: the question, answered yes, hangs up.
    ASSERT_TRUE(PostToInstance(kProgramTitle, WM_CLOSE, 0, 0));
    EXPECT_EQ(run.exitCode(30000), 0);

    std::vector<std::string> log = linesOf(readFile(machine.path("log.txt")));
    EXPECT_TRUE(inOrder(
        log,
        {"Telefone: 0", "Discando...", "676: A linha está ocupada."_a, "7 segundos para rediscar....", "Telefone: 0",
         "Discando...", "Verificando usuário e senha..."_a, "Usuário autenticado."_a, "Conexão efetuada com êxito."_a,
         "Arquivo de telefones atualizado.", "Conectado a 52.000 bps", "Desconectando...", "Desconectado."}))
        << ::testing::PrintToString(log);

    std::vector<std::string> history = linesOf(readFile(machine.path("logs.txt")));
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].rfind("Início conexão: "_a, 0), 0u);
    EXPECT_EQ(history[1].rfind("Término conexão: "_a, 0), 0u);
    EXPECT_EQ(history[0].size(), ("Início conexão: "_a).size() + 19);

    std::vector<std::string> requests = http.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requestParts(requests[0]).first, "GET /private/corvala/tels HTTP/1.1");
    EXPECT_EQ(requestParts(requests[1]).first, "POST /private/corvala/log.php HTTP/1.1");
    // The record's fixed-width fields, padded with blanks.
    std::string record = requestParts(requests[1]).second;
    EXPECT_EQ(record.rfind("dis_datahora=", 0), 0u) << record;
    EXPECT_NE(record.find("&dis_login=vyn%20"), std::string::npos) << record;
    EXPECT_NE(record.find("&dis_ddd=0&dis_telefone=0%20"), std::string::npos) << record;
    EXPECT_EQ(record.substr(record.size() - 15), "&dis_coderr=676") << record;
    EXPECT_EQ(requestParts(requests[2]).first, "POST /private/corvala/conexao.php HTTP/1.1");
    EXPECT_EQ(requestParts(requests[2]).second, "dis_login=vyn&dis_version=1.3.0.28&dis_tel=0&");
    EXPECT_EQ(requestParts(requests[3]).first, "GET /private/corvala/versao.php HTTP/1.1");
    for (const std::string& r : requests) EXPECT_NE(r.find("Host: discador.vyn.example"), std::string::npos);

    // The new phone list is in place; the failed dial went up and its file rotated.
    EXPECT_EQ(readFile(machine.path("tels")), newList);
    EXPECT_FALSE(fs::exists(machine.path("erros.txt")));
    EXPECT_NE(readFile(machine.path("erros01.txt")).find("676"), std::string::npos);

    // The shell opened the telecom company's page once; the anonymous account's mailbox is
    // never asked.
    std::vector<std::string> opened = linesOf(shell());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("open\thttp://www.telecom.example/\t\t\t1\t", 0), 0u);
    EXPECT_EQ(pop.connections(), 0);

    // Two questions: the default connection (made so), and the close.
    std::vector<LoggedBox> boxes = LoggedBoxes(machine);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].answer, 6);
    EXPECT_EQ(boxes[1].text, "Você está conectado, deseja desconectar agora?"_a);
    EXPECT_NE(readFile(machine.dir() + "/autodial.txt").find("Ruvozava Corvala 1.3.0"), std::string::npos);
}
}  // namespace
