// Both editions' engines on the same simulated dial-up service and test clock: the dial
// strings, the conventional-line edition's ring of numbers, account, report and page.
#include "Destinations.h"

#include "editions/conventional/ConventionalEdition.h"
#include "support/engine/EngineFixture.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {
const AnsiString kSaoPaulo = "S\xe3o Paulo";

// The phone list loaded, for `edition` run as `program`.
class EditionCase : public EngineCase {
protected:
    EditionCase(const TEdition& edition, const std::string& program) : EngineCase(edition, program) {}
    void SetUp() override {
        EngineCase::SetUp();
        machine.writeProgramFile("tels", kDestinations);
        ASSERT_TRUE(phones.Load("tels"));
        conf->SetDialing(41, 21, -1, true, "");
    }
    // The numbers dialled, or written into the entry, in order, a blank after each.
    std::string numbers(const char* function, std::size_t at) {
        std::string out;
        for (auto& c : sim->Calls(function))
            out += (at ? c.Buffer("entry").substr(at).c_str() : c.Arg("szPhoneNumber")) + " ";
        return out;
    }
    std::string dialled() { return numbers("RasDialA", 0); }
    std::string written() { return numbers("RasSetEntryPropertiesA", offsetof(RASENTRYA, szLocalPhoneNumber)); }

    // Each dial's string, in the entry and in the dial, for the settings and the city of a row.
    void dialStrings(int edition) {
        const std::string hashes(124, '#');
        const struct {
            bool tone;
            int outside;
            std::string callWaiting;
            int carrier, own;
            AnsiString city;
            std::string dialled[2];  // conventional-line, Mirvane
        } cases[] = {
            {true, -1, "", 21, 41, kSaoPaulo, {"0211130001111", "0"}},
            {false, 0, "*70", 21, 41, kSaoPaulo, {"P0,*700211130001111", "P0,*700"}},
            {true, -1, "", 21, 0, kSaoPaulo, {"30001111", "0"}},   // no own area code
            {true, -1, "", 0, 41, kSaoPaulo, {"30001111", "0"}},   // no carrier
            {true, -1, "", 21, 11, kSaoPaulo, {"30001111", "0"}},  // the same area code
            {true, 9, "", 21, 41, "Vila Sem DDD", {"9,55550000", "9,0"}},
            {true, -1, hashes, 21, 41, kSaoPaulo, {hashes + "0211", hashes + "0"}},  // cut, and said once
        };
        writeScript("dial hang states none\n");
        StartEngine();
        for (auto& c : cases) {
            if (dialer->IsDialing()) dialer->HangUp(true);
            sim->Reset();
            std::size_t from = lineCount();
            conf->SetDialing(c.own, c.carrier, c.outside, c.tone, c.callWaiting);
            phones.SelectCity("SP", c.city);
            dialer->Dial("", "");
            const std::string& want = c.dialled[edition];
            EXPECT_EQ(dialled() + written(), want + " " + want + " ");
            auto said = texts(from);
            EXPECT_EQ(
                std::count(said.begin(), said.end(), "O número a discar passa de 128 caracteres e foi cortado."_a),
                want.size() == 128 ? 1 : 0)
                << want;
        }
        dialer->HangUp(true);
    }
};

struct Conventional : EditionCase {
    Conventional() : EditionCase(ConventionalEdition(), "MirvaneRoaming.exe") {}
};
struct Corvala : EditionCase {
    Corvala() : EditionCase(MirvaneEdition(), "Mirvane.exe") {}
};
}  // namespace

TEST_F(Conventional, DialStrings) { dialStrings(0); }
TEST_F(Corvala, DialStrings) { dialStrings(1); }

TEST_F(Conventional, EachRedialMovesOneNumberOnAndTheNextDialGoesOnFromThere) {
    conf->SetDialing(0, 0, -1, true, "");
    writeScript("dial fail 676 after 1000 states none\n");
    StartEngine();
    EXPECT_EQ(written(), "40030000 ");  // the new entry's
    phones.SelectCity("SP", kSaoPaulo);
    sim->Reset();
    dialer->Dial("", "");
    RunTo(60000);
    EXPECT_EQ(dialled() + "| " + written(),
              "30001111 30002222 30003333 30001111 | 30001111 30002222 30003333 30001111 ");
    // A dial while a redial waits takes the number after the current one, which outlives the
    // dial until a new selection: fails into a wait; fails with none; fails into a wait.
    sim->Reset();
    for (int i = 0; i < 3; ++i, RunTo(Ms() + 3000)) dialer->Dial("", "");
    dialer->HangUp(true);
    phones.SelectCity("SP", kSaoPaulo);
    dialer->Dial("", "");
    EXPECT_EQ(dialled() + "| " + written(),
              "30001111 30002222 30002222 30001111 | 30001111 30001111 30002222 30002222 30001111 ");
    // A time-out: the wait keeps the number, its end moves one on.
    writeScript("dial hang states none\nhangup 1000\n");
    dialer->HangUp(true);
    sim->Reset();
    dialer->Dial("", "");
    RunTo(Ms() + 132000);
    EXPECT_EQ(dialled() + "| " + written(), "30001111 30002222 | 30001111 30001111 30002222 ");
    dialer->HangUp(true);
}

TEST_F(Conventional, TheAccountAndNothingToDial) {
    const AnsiString region =
        "Falta configurar sua região de acesso.\nClique no botão \"Alterar Configurações\" "
        "para configurar a região."_a;
    const struct {
        const char *login, *password, *city, *account;
        bool confirmed;
        const char* dialled;
    } cases[] = {
        {"", "", "Campinas", "vyn/zuq", true, "0211932345678 "},
        {"", "segredo", "Campinas", "vyn/zuq", true, "0211932345678 "},
        {"maria", "", "Campinas", "maria/zuq", true, "0211932345678 "},
        {"maria", "segredo", "Campinas", "maria/segredo", true, "0211932345678 "},
        {"joana", "abc", "Campinas", "joana/abc", false, ""},  // declined: kept, not dialled
        {"ana", "x", "Nowhere", "ana/x", true, ""},
        {"ana", "x", "Vila Vazia", "ana/x", true, ""},
    };
    writeScript("dial hang states none\n");
    StartEngine();
    for (auto& c : cases) {
        if (dialer->IsDialing()) dialer->HangUp(true);
        phones.SelectCity("SP", c.city);
        sim->Reset();
        std::size_t from = events().size();
        window.confirmLongDistance = c.confirmed;
        dialer->Dial(c.login, c.password);
        EXPECT_EQ(conf->GetUser() + "/" + conf->GetPassword(), c.account) << c.city;
        EXPECT_EQ(dialled() + written(), std::string(c.dialled) + c.dialled) << c.city;
        for (auto& d : sim->Calls("RasDialA")) EXPECT_EQ(d.Arg("szUserName") + "/" + d.Arg("szPassword"), c.account);
        // No number: the question, then the region message alone.
        std::vector<AnsiString> seen;
        for (auto& e : events()) seen.push_back(e.what);
        seen.erase(seen.begin(), seen.begin() + static_cast<long>(from));
        if (c.confirmed && !*c.dialled) {
            EXPECT_EQ(seen, (std::vector<AnsiString>{"window: long distance?", region}));
        }
    }
    dialer->HangUp(true);
}

TEST_F(Conventional, TheFailedDialTheReportAndThePageAfterConnecting) {
    const struct {
        const char *login, *page;
    } cases[] = {
        {"", "https://seguro.vyn.example/cadastro/private/corvala/cadastro.php"},
        {"maria", "http://www.telecom.example/"},
        {"Vyn", "http://www.telecom.example/"},
    };
    for (auto& c : cases) {
        StopEngine();
        sim->Reset();
        phones.SelectCity("SP", kSaoPaulo);
        std::remove((machine.dir() + "/shell.log").c_str());
        std::size_t before = http.requests().size();
        writeScript("dial fail 676 after 1000 states none\ndial connect after 1000 states none\n");
        http.script(HttpScript::Reply(200, "OK"));  // the failed dial's record
        scriptQuietService();
        StartEngine();
        dialer->Dial(c.login, "");
        RunTo(Ms() + 10000);
        WaitForSequence();
        auto sent = http.requests();
        ASSERT_EQ(sent.size(), before + 3) << c.login;
        // The failed number with the destination's area code; the connected one behind it.
        EXPECT_NE(sent[before].find("&dis_ddd=11&dis_telefone=30001111%20%20&"), std::string::npos) << c.login;
        EXPECT_NE(sent[before + 1].find("&dis_tel=1130002222&"), std::string::npos) << c.login;
        std::ifstream in(machine.dir() + "/shell.log", std::ios::binary);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line.substr(0, line.find('\t', 5)), "open\t" + std::string(c.page)) << c.login;
        dialer->HangUp(true);
    }
}
