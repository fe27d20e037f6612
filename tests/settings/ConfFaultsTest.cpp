// The settings file on a bad day: a process killed in the middle of a change, two processes
// remembering logins at once, a file that cannot be read.
#include "settings/Conf.h"
#include "settings/Log.h"

#include "platform/IniFiles.h"
#include "support/FileFaults.h"
#include "support/TempMachine.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct ConfMachine {
    TempMachine machine;
    TLogger log;
    ConfMachine() {
        machine.installDialUpService();
        machine.writeMachineFile("devices.txt", "modem\tModem A\nmodem\tModem B\n");
    }
    TServices services() { return {.log = &log}; }
    TIniFile ini() const { return TIniFile(machine.programFile("Mirvane.ini")); }
};

// Runs `step(0)`, `step(1)` ... in a child process that reports each finished step on a pipe,
// and kills it (SIGKILL) once `steps` were reported: the kill lands in the step under way.
// The steps reported.
int KillDuring(const std::function<void(int)>& step, int steps) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        for (int i = 0;; ++i) {
            step(i);
            if (::write(pipeFds[1], "x", 1) != 1) ::_exit(1);
        }
    }
    ::close(pipeFds[1]);
    int reported = 0;
    char c;
    while (reported < steps && ::read(pipeFds[0], &c, 1) == 1) ++reported;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(pipeFds[0]);
    return reported;
}

std::vector<std::string> Temporaries(const TempMachine& m) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(m.programDir()))
        if (e.path().filename().string().find(".tmp-") != std::string::npos) out.push_back(e.path().filename());
    return out;
}

std::vector<AnsiString> StoredLogins(const TIniFile& ini) {
    TStringList keys;
    ini.ReadSection("Usuarios", keys);
    std::vector<AnsiString> out;
    for (int i = 0; i < keys.Count(); ++i) out.push_back(ini.ReadString("Usuarios", keys[i], ""));
    return out;
}
} // namespace

TEST(ConfFaults, AKilledSaveLeavesOneWholeSave) {
    ConfMachine m;
    TConf conf(m.services());
    conf.Load();
    struct Values {
        int ddd, carrier, outside;
        bool tone;
        const char* callWaiting;
        const char* modem;
    };
    const Values saves[] = {{11, 21, 0, true, "*70", "Modem A"}, {21, 31, 9, false, "*71", "Modem B"}};
    auto save = [&](const Values& v) {
        conf.SetDialing(v.ddd, v.carrier, v.outside, v.tone, v.callWaiting);
        conf.SetModem(v.modem);
        conf.Save();
    };
    save(saves[0]);
    std::minstd_rand random(16);
    for (int kill = 0; kill < 40; ++kill) {
        KillDuring([&](int i) { save(saves[i % 2]); }, 1 + static_cast<int>(random() % 3));
        TIniFile ini = m.ini();
        int matches = 0;
        for (const Values& v : saves)
            matches += ini.ReadInteger("Principal", "DDD", -2) == v.ddd &&
                       ini.ReadInteger("Principal", "Operadora", -2) == v.carrier &&
                       ini.ReadInteger("Principal", "LinhaExterna", -2) == v.outside &&
                       ini.ReadBool("Principal", "DiscagemPorTom", !v.tone) == v.tone &&
                       ini.ReadString("Principal", "Chamada", "") == v.callWaiting &&
                       ini.ReadString("Principal", "Modem", "") == v.modem;
        ASSERT_EQ(matches, 1) << "kill " << kill << " left a mix:\n" << m.machine.readProgramFile("Mirvane.ini");
    }
    // What an interrupted replacement left goes with the next one.
    save(saves[1]);
    EXPECT_TRUE(Temporaries(m.machine).empty());
}

TEST(ConfFaults, AKilledRememberUserLosesNoLogin) {
    ConfMachine m;
    m.machine.writeProgramFile("Mirvane.ini", "[Usuarios]\r\nUsuario00=ana\r\nUsuario01=bia\r\nUsuario02=caio\r\n");
    TConf conf(m.services());
    conf.Load();
    std::minstd_rand random(61);
    int next = 0;
    for (int kill = 0; kill < 24; ++kill) {
        int first = next;
        int done = KillDuring(
            [&](int i) {
                conf.SetUser(Format("novo%03d", first + i));
                conf.RememberUser();
            },
            1 + static_cast<int>(random() % 3));
        next += done + 1;  // the one under way may have been stored or not
        std::vector<AnsiString> stored = StoredLogins(m.ini());
        std::set<AnsiString> logins(stored.begin(), stored.end());
        for (const char* kept : {"ana", "bia", "caio"})
            ASSERT_TRUE(logins.count(kept)) << "kill " << kill << " lost " << kept << ":\n"
                                            << m.machine.readProgramFile("Mirvane.ini");
        for (int i = first; i < first + done; ++i)
            ASSERT_TRUE(logins.count(Format("novo%03d", i))) << "kill " << kill << " lost novo" << i;
    }
}

TEST(ConfFaults, ProcessesRememberingAtOnceKeepEveryLogin) {
    ConfMachine m;
    TConf conf(m.services());
    conf.Load();
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (char tag : {'a', 'b'}) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(gate[1]);
            char c;
            (void)!::read(gate[0], &c, 1);  // every child starts when the gate opens
            for (int i = 0; i < 30; ++i) {
                conf.SetUser(Format("%c%02d", tag, i));
                conf.RememberUser();
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(StoredLogins(m.ini()).size(), 60u);
    TConf later(m.services());
    later.Load();
    EXPECT_EQ(later.RememberedLogins().size(), 60u);
    EXPECT_TRUE(m.log.Lines().empty());
}

TEST(ConfFaults, AFileThatCannotBeReadIsLeftAsItWas) {
    ConfMachine m;
    const std::string before =
        "[Principal]\r\nEstado=SP\r\nDDD=11\r\nModem=Modem B\r\nChecagemAutomaticaEmails=1\r\n"
        "[Usuarios]\r\nUsuario00=ana\r\nUsuario01=bia\r\n";
    m.machine.writeProgramFile("Mirvane.ini", before);
    TConf conf(m.services());
    conf.Load();
    conf.SetDialing(0, 0, 9, true, "*70");
    {
        UnreadableFile unreadable(m.machine.path("Mirvane.ini"));
        EXPECT_THROW(conf.Save(), EIniFileException);
        EXPECT_THROW(conf.SetAutoCheckMail(false), EIniFileException);
        conf.SetUser("caio");
        EXPECT_NO_THROW(conf.RememberUser());
    }
    EXPECT_EQ(m.machine.readProgramFile("Mirvane.ini"), before);
    EXPECT_EQ(m.log.Lines(),
              std::vector<AnsiString>{"Não foi possível gravar o usuário em "_a + conf.IniFileName() + "."});
}
