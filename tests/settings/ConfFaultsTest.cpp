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
}  // namespace

TEST(ConfFaults, AKillDuringAChangeLeavesTheOldFileOrTheNewOne) {
    // Two saves that differ in every key, and logins remembered one after another.
    auto save = [](TConf& c, int i) {
        c.SetDialing(i % 2 ? 21 : 11, i % 2 ? 31 : 21, i % 2 ? 9 : 0, i % 2 == 0, i % 2 ? "*71" : "*70");
        c.SetModem(i % 2 ? "Modem B" : "Modem A");
        c.Save();
    };
    auto wholeSave = [](const TIniFile& ini) {
        int ddd = ini.ReadInteger("Principal", "DDD", 0);
        bool odd = ddd == 21;
        return (odd || ddd == 11) && ini.ReadInteger("Principal", "Operadora", 0) == (odd ? 31 : 21) &&
               ini.ReadInteger("Principal", "LinhaExterna", -1) == (odd ? 9 : 0) &&
               ini.ReadBool("Principal", "DiscagemPorTom", odd) == !odd &&
               ini.ReadString("Principal", "Chamada", "") == (odd ? "*71" : "*70") &&
               ini.ReadString("Principal", "Modem", "") == (odd ? "Modem B" : "Modem A");
    };
    int stored = 0;  // novo000 .. are surely stored below this
    auto remember = [&stored](TConf& c, int i) {
        c.SetUser(Format("novo%03d", stored + i));
        c.RememberUser();
    };
    auto everyLogin = [&stored](const TIniFile& ini) {
        std::vector<AnsiString> found = StoredLogins(ini);
        std::set<AnsiString> logins(found.begin(), found.end());
        for (int i = 0; i < stored; ++i)
            if (!logins.count(Format("novo%03d", i))) return false;
        return logins.count("ana") && logins.count("bia");
    };
    struct {
        const char* name;
        std::function<void(TConf&, int)> step;
        std::function<bool(const TIniFile&)> whole;
        int kills;
    } cases[] = {{"save", save, wholeSave, 40}, {"remembered logins", remember, everyLogin, 24}};
    for (auto& c : cases) {
        ConfMachine m;
        m.machine.writeProgramFile("Mirvane.ini", "[Usuarios]\r\nUsuario00=ana\r\nUsuario01=bia\r\n");
        TConf conf(m.services());
        conf.Load();
        stored = 0;
        std::minstd_rand random(16);
        for (int kill = 0; kill < c.kills; ++kill) {
            c.step(conf, 0);  // the step a kill may have cut is made whole
            ++stored;
            stored += KillDuring([&](int i) { c.step(conf, i); }, 1 + static_cast<int>(random() % 3));
            ASSERT_TRUE(c.whole(m.ini())) << c.name << ", kill " << kill << ":\n"
                                          << m.machine.readProgramFile("Mirvane.ini");
        }
        // What an interrupted replacement left goes with the next change.
        c.step(conf, 0);
        EXPECT_TRUE(Temporaries(m.machine).empty()) << c.name;
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
    EXPECT_EQ(later.GetUsers().size(), 60u);
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
