// Both editions' settings and phone list: the file each opens, when each counts as
// configured, the destination lists and the ring of numbers.
#include "Destinations.h"

#include "editions/conventional/ConventionalEdition.h"
#include "settings/Conf.h"
#include "settings/Log.h"
#include "settings/Xmlvyn.h"
#include "support/TempMachine.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(EditionSettings, TheFileAndWhenTheProgramIsConfigured) {
    struct {
        const char *program, *file;  // the program, and the file its settings write
        const TEdition& edition;
        const char* ini;  // what that file held
        bool configured;
        const char* modem;
    } cases[] = {
        {"P/MirvaneRoaming.exe", "P/Mirvane.ini", ConventionalEdition(), "Estado=SP", true, "A"},
        {"P/Mirvane.exe", "P/Mirvane.ini", MirvaneEdition(), "Estado=SP", false, "A"},
        {"P/MirvaneRoaming.exe", "P/MirvaneRoaming.ini", MirvaneEdition(), "Modem=B", true, "B"},
        {"Roaming/MirvaneRoaming.exe", "Roaming/Mirvane.ini", ConventionalEdition(), "Estado=SPX\r\nModem=B", false,
         "B"},
        {"Roaming/Mirvane.exe", "Roaming/Mirvane.ini", ConventionalEdition(), "Estado=S", false, "A"},
        {"P/RoamingRoaming.exe", "P/Roaming.ini", ConventionalEdition(), "Estado=RJ\r\nModem=Old", true, "Old"},
    };
    for (auto& c : cases) {
        TempMachine m;
        m.writeMachineFile("devices.txt", "modem\tA\nmodem\tB\n");
        fs::path program = fs::path(m.dir()) / c.program;
        fs::create_directories(program.parent_path());
        fs::copy_file(fs::path(VYN_DIST_DIR) / "RASAPI32.DLL", program.parent_path() / "RASAPI32.DLL");
        std::ofstream(m.dir() + "/" + c.file) << "[Principal]\r\n" << c.ini << "\r\n";
        SetProgramFileName(Utf8ToAnsi(program.string()));
        TLogger log;
        TConf conf(TServices{.log = &log, .edition = &c.edition});
        EXPECT_EQ(conf.Load(), c.configured) << c.program;
        EXPECT_EQ(conf.GetModem(), c.modem) << c.program;
        EXPECT_EQ(NativePath(conf.IniFileName()), m.dir() + "/" + c.file);
    }
}

TEST(EditionPhoneList, TheDestinationListsTheRingAndAFailedSelection) {
    TempMachine m("MirvaneRoaming.exe");
    m.writeProgramFile("tels", kDestinations);
    TLogger log;
    TXMLvyn phones(TServices{.log = &log, .edition = &ConventionalEdition()});
    ASSERT_TRUE(phones.Load("tels"));
    TStringList states, cities, none;
    none.Add("left over");
    phones.FillStateList(states);
    phones.FillCityList(cities, "SP");
    phones.FillCityList(none, "sp");
    EXPECT_EQ(states.Text() + cities.Text() + none.Text(),
              "RJ\r\nSP\r\nCampinas\r\nS\xe3o Paulo\r\nVila Sem DDD\r\nVila Vazia\r\n");
    struct {
        const char *city, *ring;  // GetPhone, then GetNextPhone four times
    } cases[] = {
        {"S\xe3o Paulo", "30001111 30002222 30003333 30001111 30002222 "},
        {"Campinas", "32345678 32345678 32345678 32345678 32345678 "},
        {"Vila Vazia", "*** *** *** *** *** "},
        {"campinas", "*** *** *** *** *** "},
    };
    for (auto& c : cases) {
        phones.SelectCity("SP", c.city);
        std::string ring = phones.GetPhone() + " ";
        for (int i = 0; i < 4; ++i) ring += phones.GetNextPhone() + " ";
        EXPECT_EQ(ring, c.ring) << c.city;
    }
    // Only the failed selection was logged; Mirvane's list logs none.
    TXMLvyn mirvanes(TServices{.log = &log, .edition = &MirvaneEdition()});
    mirvanes.SelectCity("SP", "Campinas");
    EXPECT_EQ(log.Lines(), std::vector<AnsiString>{"A configuração do discador parece incorreta. Reinicie o discador "
                                                   "e reconfigure para tentar resolver o problema."_a});
}
