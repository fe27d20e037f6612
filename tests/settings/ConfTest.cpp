#include "settings/Conf.h"
#include "settings/Hosts.h"
#include "settings/Log.h"

#include "platform/Application.h"
#include "platform/IniFiles.h"
#include "support/TempMachine.h"

#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {
const AnsiString kNoService =
    "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
    "instalado e atualizado."_a;
const AnsiString kNoModem = "Não foi encontrado nenhum modem instalado."_a;
const char* kTwoModems = "modem\tModem A\nmodem\tModem B\n";

std::vector<AnsiString> modemsOf(const TConf& c) {
    TStringList l;
    l.Add("left over");
    c.GetModems(l);
    std::vector<AnsiString> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l[i]);
    return out;
}

void expectDefaults(const TConf& c) {
    EXPECT_EQ(c.GetEstado(), "");
    EXPECT_EQ(c.GetCidade(), "");
    EXPECT_EQ(c.GetUser(), "");
    EXPECT_EQ(c.GetPassword(), "");
    EXPECT_EQ(c.GetChamada(), "");
    EXPECT_EQ(c.GetDDD(), 0);
    EXPECT_EQ(c.GetOperadora(), 0);
    EXPECT_EQ(c.GetLinhaExterna(), -1);
    EXPECT_TRUE(c.GetDiscagemPorTom());
    EXPECT_TRUE(c.GetAutoCheckMail());
    EXPECT_TRUE(c.GetUsers().empty());
}

// A machine with the service installed and the given devices ("" for none).
void prepare(TempMachine& m, const std::string& devices) {
    m.installDialUpService();
    if (!devices.empty()) m.writeMachineFile("devices.txt", devices);
}

// A status log of its own for one test, as the settings are handed it.
struct LoggerScope {
    TLogger log;
    TServices services() { return {.log = &log}; }
};
}  // namespace

TEST(Conf, FirstStartChoosesTheModemAsTheMachineHasThem) {
    struct {
        const char* name;
        std::string devices;
        std::string ini;
        bool configured;
        AnsiString modem;
        std::vector<AnsiString> modems;
    } cases[] = {
        {"two modems: the first, not configured", kTwoModems, "", false, "Modem A", {"Modem A", "Modem B"}},
        {"one modem: configured", "modem\tModem A\n", "", true, "Modem A", {"Modem A"}},
        {"other devices and a capitalised type are skipped",
         "isdn\tRDSI\nModem\tCaps\nmodem\tThe Modem\nvpn\tWAN\n",
         "",
         true,
         "The Modem",
         {"The Modem"}},
        {"a stored modem stays chosen though gone",
         kTwoModems,
         "[Principal]\r\nModem=Old 28K\r\n",
         true,
         "Old 28K",
         {"Modem A", "Modem B"}},
    };
    for (auto& c : cases) {
        TempMachine m;
        prepare(m, c.devices);
        if (!c.ini.empty()) m.writeProgramFile("Mirvane.ini", c.ini);
        LoggerScope logger;
        TConf conf(logger.services());
        EXPECT_TRUE(m.boxes().empty()) << c.name;
        EXPECT_FALSE(Application->Terminated()) << c.name;
        EXPECT_EQ(conf.GetModem(), "") << c.name;  // nothing chosen before Load
        EXPECT_EQ(conf.Load(), c.configured) << c.name;
        EXPECT_EQ(conf.GetModem(), c.modem) << c.name;
        EXPECT_EQ(modemsOf(conf), c.modems) << c.name;
        EXPECT_EQ(conf.GetMailServer(), kMailHost) << c.name;
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.ini) << c.name << ": Load writes nothing";
    }
}

TEST(Conf, NoFileGivesEveryDefault) {
    TempMachine m;
    prepare(m, kTwoModems);
    LoggerScope logger;
    TConf conf(logger.services());
    conf.Load();
    expectDefaults(conf);
    EXPECT_EQ(NativePath(conf.IniFileName()), m.path("Mirvane.ini"));
}

TEST(Conf, FatalStartsShowOneMessageAndLeaveAWorkingObject) {
    struct {
        const char* name;
        bool installService;
        const char* hiddenExports;
        std::string devices;
        AnsiString message;
    } cases[] = {
        {"no library", false, nullptr, kTwoModems, kNoService},
        {"no RasEnumDevicesA", true, "RASAPI32.DLL RasEnumDevicesA\n", kTwoModems, kNoService},
        {"no device", true, nullptr, "", kNoModem},
        {"ISDN and VPN only", true, nullptr, "isdn\tRDSI\nvpn\tWAN Miniport (PPTP)\n", kNoModem},
        {"a type that is not exactly modem", true, nullptr, "MODEM\tLoud\nModem\tCaps\n", kNoModem},
    };
    for (auto& c : cases) {
        TempMachine m;
        Application->SetTitle("Ruvozava Corvala");
        if (c.installService) m.installDialUpService();
        if (c.hiddenExports) m.writeMachineFile("hidden-exports.txt", c.hiddenExports);
        if (!c.devices.empty()) m.writeMachineFile("devices.txt", c.devices);
        m.writeProgramFile("Mirvane.ini", "[Principal]\r\nEstado=SP\r\nDDD=11\r\n");
        {
            LoggerScope logger;
            TConf conf(logger.services());
            auto boxes = m.boxes();
            ASSERT_EQ(boxes.size(), 1u) << c.name;
            EXPECT_EQ(boxes[0].text, c.message) << c.name;
            EXPECT_EQ(boxes[0].caption, "Ruvozava Corvala") << c.name;
            EXPECT_EQ(boxes[0].flags, unsigned(MB_OK)) << c.name;
            EXPECT_TRUE(Application->Terminated()) << c.name;
            if (c.installService && c.message == kNoService) {
                EXPECT_FALSE(dlopen(m.path("RASAPI32.DLL").c_str(), RTLD_NOW | RTLD_NOLOAD)) << "released";
            }
            // The start-up goes on: Load and the rest work on what the object holds.
            EXPECT_FALSE(conf.Load()) << c.name;
            EXPECT_EQ(conf.GetEstado(), "SP");
            EXPECT_EQ(conf.GetDDD(), 11);
            EXPECT_EQ(conf.GetModem(), "");
            EXPECT_TRUE(modemsOf(conf).empty());
            EXPECT_FALSE(conf.EnumModems());
        }
        EXPECT_EQ(m.boxes().size(), 1u) << c.name;
        Application->SetTitle("");
    }
}

TEST(Conf, NumbersAndBooleansReadAsTheWrapperReadsThem) {
    struct {
        const char* line;
        std::function<long long(const TConf&)> field;
        long long expected;
    } cases[] = {
        {"DDD=0x1F", [](const TConf& c) { return c.GetDDD(); }, 31},
        {"DDD= 21 ", [](const TConf& c) { return c.GetDDD(); }, 21},
        {"DDD=abc", [](const TConf& c) { return c.GetDDD(); }, 0},
        {"Operadora=21x", [](const TConf& c) { return c.GetOperadora(); }, 0},
        {"Operadora=15", [](const TConf& c) { return c.GetOperadora(); }, 15},
        {"LinhaExterna=abc", [](const TConf& c) { return c.GetLinhaExterna(); }, -1},
        {"LinhaExterna=", [](const TConf& c) { return c.GetLinhaExterna(); }, -1},
        {"LinhaExterna=0", [](const TConf& c) { return c.GetLinhaExterna(); }, 0},
        {"DiscagemPorTom=false", [](const TConf& c) { return c.GetDiscagemPorTom(); }, 1},
        {"DiscagemPorTom=0", [](const TConf& c) { return c.GetDiscagemPorTom(); }, 0},
        {"ChecagemAutomaticaEmails=false", [](const TConf& c) { return c.GetAutoCheckMail(); }, 1},
        {"ChecagemAutomaticaEmails=true", [](const TConf& c) { return c.GetAutoCheckMail(); }, 1},
        {"ChecagemAutomaticaEmails=0", [](const TConf& c) { return c.GetAutoCheckMail(); }, 0},
        {"ChecagemAutomaticaEmails=2", [](const TConf& c) { return c.GetAutoCheckMail(); }, 1},
    };
    for (auto& c : cases) {
        TempMachine m;
        prepare(m, kTwoModems);
        m.writeProgramFile("Mirvane.ini", std::string("[Principal]\r\n") + c.line + "\r\n");
        LoggerScope logger;
        TConf conf(logger.services());
        conf.Load();
        EXPECT_EQ(c.field(conf), c.expected) << c.line;
    }
}

TEST(Conf, LoadReadsEveryKeyAndTheLoginsInLocaleOrder) {
    TempMachine m;
    prepare(m, kTwoModems);
    m.writeProgramFile("Mirvane.ini",
                       "[Principal]\r\nEstado=RJ\r\nCidade=Niter\xF3i\r\nUsuario=maria\r\nChamada=*70\r\n"
                       "Modem=Modem B\r\n[EMail]\r\nServidor=pop.outro.example\r\n"
                       "[Usuarios]\r\nx=bruno\r\nUsuario05=\xC1lvaro\r\nfoo=alberto\r\nbar=ALBERTO\r\n"
                       "Usuario00=Alvaro\r\n");
    LoggerScope logger;
    TConf conf(logger.services());
    EXPECT_TRUE(conf.Load());
    EXPECT_EQ(conf.GetEstado(), "RJ");
    EXPECT_EQ(conf.GetCidade(), "Niterói"_a);
    EXPECT_EQ(conf.GetUser(), "maria");
    EXPECT_EQ(conf.GetChamada(), "*70");
    EXPECT_EQ(conf.GetModem(), "Modem B");
    EXPECT_EQ(conf.GetMailServer(), "pop.outro.example");
    EXPECT_EQ(conf.GetUsers(), (std::vector<AnsiString>{"alberto", "Alvaro", "Álvaro"_a, "bruno"}));
}

TEST(Conf, SaveWritesTheEightDialingKeysOnly) {
    struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"no file", "",
         "[Principal]\r\nEstado=\r\nCidade=\r\nDDD=21\r\nOperadora=15\r\nLinhaExterna=9\r\nDiscagemPorTom=0\r\n"
         "Chamada=*70\r\nModem=Modem B\r\n"},
        {"the other keys and sections untouched",
         "[Principal]\r\nEstado=RJ\r\nCidade=Niter\xF3i\r\nUsuario=maria\r\nChecagemAutomaticaEmails=0\r\n"
         "AvisarDDD=1\r\nModem=Modem A\r\n\r\n[EMail]\r\nServidor=pop.outro.example\r\n\r\n"
         "[Usuarios]\r\nUsuario00=maria\r\n",
         "[Principal]\r\nEstado=RJ\r\nCidade=Niter\xF3i\r\nUsuario=maria\r\nChecagemAutomaticaEmails=0\r\n"
         "AvisarDDD=1\r\nModem=Modem B\r\nDDD=21\r\nOperadora=15\r\nLinhaExterna=9\r\nDiscagemPorTom=0\r\n"
         "Chamada=*70\r\n\r\n[EMail]\r\nServidor=pop.outro.example\r\n\r\n[Usuarios]\r\nUsuario00=maria\r\n"},
    };
    for (auto& c : cases) {
        TempMachine m;
        prepare(m, kTwoModems);
        if (!c.before.empty()) m.writeProgramFile("Mirvane.ini", c.before);
        LoggerScope logger;
        TConf conf(logger.services());
        conf.Load();
        conf.SetDialing(21, 15, 9, false, "*70");
        conf.SetModem("Modem B");
        conf.SetUser("joana");
        conf.SetPassword("segredo");
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.before) << c.name << ": setters write nothing";
        conf.Save();
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.after) << c.name;
    }
}

TEST(Conf, RememberUserKeepsTheSectionSortedAndSkipsWhatIsKnown) {
    struct {
        const char* name;
        std::string before;
        AnsiString login;
        std::string after;
    } cases[] = {
        {"the anonymous account is never written", "", "vyn", ""},
        {"only its exact case is anonymous", "", "VYN", "[Usuarios]\r\nUsuario00=VYN\r\n"},
        {"a login known in another case changes nothing", "[Usuarios]\r\nfoo=maria\r\n", "MARIA",
         "[Usuarios]\r\nfoo=maria\r\n"},
        {"a new login at its sorted place, the section rewritten at the end",
         "[Usuarios]\r\nfoo=bruno\r\nbar=alberto\r\n[Principal]\r\nModem=Modem A\r\n", "Álvaro"_a,
         "[Principal]\r\nModem=Modem A\r\n[Usuarios]\r\nUsuario00=alberto\r\nUsuario01=\xC1lvaro\r\n"
         "Usuario02=bruno\r\n"},
    };
    for (auto& c : cases) {
        TempMachine m;
        prepare(m, kTwoModems);
        if (!c.before.empty()) m.writeProgramFile("Mirvane.ini", c.before);
        LoggerScope logger;
        TConf conf(logger.services());
        conf.Load();
        conf.SetUser(c.login);
        conf.RememberUser();
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.after) << c.name;
    }
}

TEST(Conf, AtMost101LoginsAreStored) {
    TempMachine m;
    prepare(m, kTwoModems);
    std::vector<AnsiString> names;
    for (int i = 0; i < 120; ++i) names.push_back(Format("user%03d", i));
    // 119 stored under keys in reverse order; the 120th sorts among the first 101.
    std::string ini = "[Usuarios]\r\n";
    for (int i = 119; i >= 0; --i)
        if (i != 50) ini += Format("k%d=%s\r\n", i, names[static_cast<std::size_t>(i)].c_str());
    m.writeProgramFile("Mirvane.ini", ini);
    LoggerScope logger;
    TConf conf(logger.services());
    conf.Load();
    conf.SetUser("USER050");
    conf.RememberUser();

    EXPECT_EQ(conf.GetUsers().size(), 120u);
    std::string expected = "[Usuarios]\r\n";
    for (int i = 0; i <= 100; ++i)
        expected += Format("Usuario%02d=%s\r\n", i, i == 50 ? "USER050" : names[static_cast<std::size_t>(i)].c_str());
    EXPECT_EQ(m.readProgramFile("Mirvane.ini"), expected);
}

TEST(Conf, RefusedWrites) {
    TempMachine m;
    prepare(m, kTwoModems);
    LoggerScope logger;
    std::filesystem::create_directory(m.path("Mirvane.ini"));
    TConf conf(logger.services());
    conf.Load();

    // In the connected sequence: contained, reported once, the login kept for this run.
    conf.SetUser("joana");
    EXPECT_NO_THROW(conf.RememberUser());
    EXPECT_EQ(conf.GetUsers(), std::vector<AnsiString>{"joana"});
    auto lines = logger.log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Não foi possível gravar o usuário em "_a + conf.IniFileName() + ".");

    // From the windows: the error reaches the caller.
    EXPECT_THROW(conf.Save(), EIniFileException);
    EXPECT_THROW(conf.SetAutoCheckMail(false), EIniFileException);
    EXPECT_FALSE(conf.GetAutoCheckMail());
    EXPECT_EQ(logger.log.Lines().size(), 1u);
}

TEST(Conf, SetAutoCheckMailWritesAtOnce) {
    TempMachine m;
    prepare(m, kTwoModems);
    m.writeProgramFile("Mirvane.ini", "[Principal]\r\nChecagemAutomaticaEmails=1\r\nModem=Modem A\r\n");
    LoggerScope logger;
    TConf conf(logger.services());
    conf.Load();
    conf.SetAutoCheckMail(false);
    EXPECT_EQ(m.readProgramFile("Mirvane.ini"), "[Principal]\r\nChecagemAutomaticaEmails=0\r\nModem=Modem A\r\n");
    EXPECT_FALSE(conf.GetAutoCheckMail());
}
