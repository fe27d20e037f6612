#include "platform/IniFiles.h"
#include "platform/LockedFile.h"
#include "support/FileFaults.h"
#include "support/TempMachine.h"

#include <filesystem>
#include <optional>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {
const std::string kSample =
    "; settings\r\n"
    "[Principal]\r\n"
    "Estado=SP\r\n"
    "  cidade  =  S\xE3o Paulo  \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "DDD= 21 \r\n"
    "Hex=0x1F\r\n"
    "Bad=abc\r\n"
    "Flag=false\r\n"
    "Zero=0\r\n"
    "Two=2\r\n"
    "Negative=-1\r\n"
    "Estado=RJ\r\n"
    "a line without a value\r\n"
    "\r\n"
    "[principal]\r\n"
    "Extra=1\r\n"
    "[EMail]\n"
    "Servidor=pop.example\n";

std::vector<AnsiString> items(const TStrings& l) {
    std::vector<AnsiString> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l[i]);
    return out;
}
}  // namespace

TEST(IniFile, ReadsAsTheProfileFunctions) {
    TempMachine m;
    m.writeProgramFile("Mirvane.ini", kSample);
    TIniFile ini(m.programFile("Mirvane.ini"));
    struct {
        const char* section;
        const char* key;
        const char* def;
        std::string expected;
    } strings[] = {
        {"Principal", "Estado", "-", "SP"},            // the first of two keys wins
        {"PRINCIPAL", "ESTADO", "-", "SP"},            // names ignore case
        {"Principal", "Cidade", "-", "S\xE3o Paulo"},  // blanks trimmed, bytes kept
        {"Principal", "Quoted", "-", "  spaced  "},    // quotes taken off
        {"Principal", "Extra", "-", "-"},              // only the first section of a name counts
        {"Principal", "a line without a value", "-", "-"},
        {"EMail", "Servidor", "-", "pop.example"},  // LF-only lines read too
        {"EMail", "Missing", "def", "def"},
        {"Nowhere", "Estado", "def", "def"},
    };
    for (auto& c : strings) EXPECT_EQ(ini.ReadString(c.section, c.key, c.def), c.expected) << c.key;

    struct {
        const char* key;
        int def;
        int expected;
    } numbers[] = {
        {"DDD", 0, 21}, {"Hex", 0, 31}, {"Bad", 7, 7}, {"Flag", 7, 7}, {"Negative", 0, -1}, {"Missing", -1, -1},
    };
    for (auto& c : numbers) EXPECT_EQ(ini.ReadInteger("Principal", c.key, c.def), c.expected) << c.key;

    struct {
        const char* key;
        bool def;
        bool expected;
    } bools[] = {
        {"Flag", true, true},  {"Flag", false, false},  // a word gives the default
        {"Zero", true, false}, {"Two", false, true},   {"Hex", false, true}, {"Missing", true, true},
    };
    for (auto& c : bools) EXPECT_EQ(ini.ReadBool("Principal", c.key, c.def), c.expected) << c.key << c.def;

    TStringList keys;
    keys.Add("left over");
    ini.ReadSection("principal", keys);
    EXPECT_EQ(items(keys), (std::vector<AnsiString>{"Estado", "cidade", "Quoted", "DDD", "Hex", "Bad", "Flag", "Zero",
                                                    "Two", "Negative", "Estado"}));
}

TEST(IniFile, MissingFileReadsAsDefaults) {
    TempMachine m;
    TIniFile ini(m.programFile("Mirvane.ini"));
    EXPECT_EQ(ini.ReadString("Principal", "Estado", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("Principal", "LinhaExterna", -1), -1);
    EXPECT_TRUE(ini.ReadBool("Principal", "DiscagemPorTom", true));
    TStringList keys;
    keys.Add("left over");
    ini.ReadSection("Usuarios", keys);
    EXPECT_EQ(keys.Count(), 0);
    ini.EraseSection("Usuarios");
    EXPECT_FALSE(std::filesystem::exists(m.path("Mirvane.ini")));
}

TEST(IniFile, WritesChangeOnlyWhatTheyMust) {
    using Op = std::function<void(TIniFile&)>;
    struct {
        const char* name;
        std::string before;
        Op op;
        std::string after;
    } cases[] = {
        {"changed key replaced in place, the file's spelling kept", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n",
         [](TIniFile& i) { i.WriteString("a", "X", "9"); }, "[A]\r\nx=9\r\ny=2\r\n[B]\r\nz=3\r\n"},
        {"new key after the section's last line, before the blank", "[A]\r\nx=1\r\n\r\n[B]\r\nz=3\r\n",
         [](TIniFile& i) { i.WriteInteger("A", "n", -1); }, "[A]\r\nx=1\r\nn=-1\r\n\r\n[B]\r\nz=3\r\n"},
        {"new section at the end of a file without a last line end", "[A]\r\nx=1",
         [](TIniFile& i) { i.WriteBool("B", "k", true); }, "[A]\r\nx=1\r\n[B]\r\nk=1\r\n"},
        {"new key in the last section", "[A]\r\nx=1", [](TIniFile& i) { i.WriteBool("A", "y", false); },
         "[A]\r\nx=1\r\ny=0\r\n"},
        {"empty section gets its first key", "[A]\r\n[B]\r\n", [](TIniFile& i) { i.WriteString("A", "k", "v"); },
         "[A]\r\nk=v\r\n[B]\r\n"},
        {"LF lines stay LF, a new line ends in CR LF", "[A]\nx=1\n",
         [](TIniFile& i) {
             i.WriteString("A", "x", "2");
             i.WriteString("A", "y", "3");
         },
         "[A]\nx=2\ny=3\r\n"},
        {"comments and blanks keep their bytes", "; c\r\n[A]\r\n  x = 1 \r\n\r\n",
         [](TIniFile& i) { i.WriteString("A", "x", "2"); }, "; c\r\n[A]\r\nx=2\r\n\r\n"},
        {"an unchanged value leaves the line alone", "[A]\r\n  x = 1 \r\n",
         [](TIniFile& i) { i.WriteString("A", "x", "1"); }, "[A]\r\n  x = 1 \r\n"},
        {"1252 bytes written as they are", "",
         [](TIniFile& i) { i.WriteString("Principal", "Cidade", "São Paulo"_a); },
         "[Principal]\r\nCidade=S\xE3o Paulo\r\n"},
        {"section erased with its lines", "[A]\r\nx=1\r\n[U]\r\nu1=a\r\nu2=b\r\n\r\n[B]\r\ny=2\r\n",
         [](TIniFile& i) { i.EraseSection("u"); }, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"erasing a missing section changes nothing", "[A]\r\nx=1", [](TIniFile& i) { i.EraseSection("U"); },
         "[A]\r\nx=1"},
    };
    for (auto& c : cases) {
        TempMachine m;
        if (!c.before.empty()) m.writeProgramFile("Mirvane.ini", c.before);
        TIniFile ini(m.programFile("Mirvane.ini"));
        c.op(ini);
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.after) << c.name;
    }
}

TEST(IniFile, NothingIsCachedBetweenCalls) {
    TempMachine m;
    TIniFile one(m.programFile("Mirvane.ini")), two(m.programFile("Mirvane.ini"));
    one.WriteString("Principal", "Modem", "A");
    EXPECT_EQ(two.ReadString("Principal", "Modem", ""), "A");
    m.writeProgramFile("Mirvane.ini", "[Principal]\r\nModem=B\r\n");
    EXPECT_EQ(one.ReadString("Principal", "Modem", ""), "B");
    two.WriteString("Principal", "Estado", "SP");
    EXPECT_EQ(m.readProgramFile("Mirvane.ini"), "[Principal]\r\nModem=B\r\nEstado=SP\r\n");
}

TEST(IniFile, ABatchIsOneReplacementOrNone) {
    using Batch = std::function<void(TIniBatch&)>;
    const std::string before = "[Principal]\r\nModem=A\r\n[Usuarios]\r\nUsuario00=ana\r\n";
    struct {
        const char* name;
        Batch batch;
        std::string after;
    } cases[] = {
        {"keys written and a section rewritten from what it held, reads seeing the batch",
         [](TIniBatch& b) {
             b.WriteString("Principal", "Modem", "B");
             b.WriteInteger("Principal", "Copia", b.ReadString("principal", "modem", "") == "B");
             AnsiString first = b.ReadString("Usuarios", "Usuario00", "");
             b.EraseSection("Usuarios");
             b.WriteString("Usuarios", "Usuario00", first);
             b.WriteString("Usuarios", "Usuario01", "bia");
         },
         "[Principal]\r\nModem=B\r\nCopia=1\r\n[Usuarios]\r\nUsuario00=ana\r\nUsuario01=bia\r\n"},
        {"an error half way writes nothing",
         [](TIniBatch& b) {
             b.EraseSection("Usuarios");
             throw Exception("stopped");
         },
         before},
        {"nothing changed, nothing written", [](TIniBatch& b) { b.WriteString("principal", "MODEM", "A"); }, before},
    };
    for (auto& c : cases) {
        TempMachine m;
        m.writeProgramFile("Mirvane.ini", before);
        try {
            TIniFile(m.programFile("Mirvane.ini")).Update(c.batch);
        } catch (const Exception&) {}
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.after) << c.name;
        EXPECT_EQ(LockedFile(m.path("Mirvane.ini"), LockedFile::Shared).Generation(), c.after == before ? 0u : 1u)
            << c.name << ": replacements";
    }
}

TEST(IniFile, LineBreaksNeverReachTheFile) {
    struct {
        const char* section;
        const char* ident;
        std::string value;
    } cases[] = {
        {"Principal", "Chamada", "*70\r\n[EMail]\r\nServidor=pop.outro.example"},
        {"Principal", "Chamada", "*70\n"},
        {"Principal", "Chamada", std::string("*7\0\n0", 5)},
        {"Principal", "Cha\rmada", "1"},
        {"Prin]\r\n[cipal", "Chamada", "1"},
    };
    for (auto& c : cases) {
        TempMachine m;
        m.writeProgramFile("Mirvane.ini", "[Principal]\r\nChamada=*70\r\n");
        TIniFile ini(m.programFile("Mirvane.ini"));
        EXPECT_THROW(ini.WriteString(c.section, c.ident, c.value), EIniFileException) << c.ident << c.value;
        // Nor the batch it is part of.
        try {
            ini.Update([&](TIniBatch& b) {
                b.WriteString("Principal", "Modem", "A");
                b.WriteString(c.section, c.ident, c.value);
            });
            ADD_FAILURE() << "written: " << c.ident << c.value;
        } catch (const EIniFileException& e) {
            EXPECT_NE(e.Message.find(m.programFile("Mirvane.ini")), AnsiString::npos) << e.Message;
        }
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), "[Principal]\r\nChamada=*70\r\n") << c.ident << c.value;
    }
}

// A folder in the way, or a file that cannot be read: every kind of write raises naming the
// file, and nothing of it stays, on disk or in what is read back.
TEST(IniFile, AWriteThatCannotBeMadeRaisesNamingTheFileAndChangesNothing) {
    const std::string before = "[Principal]\r\nEstado=SP\r\n[Usuarios]\r\nUsuario00=ana\r\n";
    for (bool folder : {true, false}) {
        TempMachine m;
        if (folder) std::filesystem::create_directory(m.path("Mirvane.ini"));
        else m.writeProgramFile("Mirvane.ini", before);
        TIniFile ini(m.programFile("Mirvane.ini"));
        std::function<void()> writes[] = {
            [&] { ini.WriteString("Principal", "Estado", "SP"); },
            [&] { ini.WriteInteger("Principal", "DDD", 21); },
            [&] { ini.EraseSection("Usuarios"); },
            [&] { ini.Update([](TIniBatch& b) { b.WriteBool("Principal", "DiscagemPorTom", true); }); },
        };
        for (auto& w : writes) {
            std::optional<UnreadableFile> unreadable;
            if (!folder) unreadable.emplace(m.path("Mirvane.ini"));
            try {
                w();
                ADD_FAILURE() << "the write went through";
            } catch (const EIniFileException& e) {
                EXPECT_NE(e.Message.find(m.programFile("Mirvane.ini")), AnsiString::npos) << e.Message;
            }
            EXPECT_EQ(ini.ReadString("Principal", "Estado", "def"), "def");  // reading never fails
        }
        if (!folder) {
            EXPECT_EQ(m.readProgramFile("Mirvane.ini"), before);
        }
    }
}

TEST(IniFile, AFullDiskLeavesTheOldFileAndNoTemporary) {
    const std::string before = "[Principal]\r\nModem=A\r\n[Usuarios]\r\nUsuario00=ana\r\n";
    const std::string changed = "[Principal]\r\nModem=Modem B\r\n[Usuarios]\r\nUsuario00=ana\r\nUsuario01=bia\r\n";
    const off_t needed = static_cast<off_t>(changed.size());
    struct {
        off_t room;
        bool written;
    } cases[] = {{0, false}, {needed - 1, false}, {needed, true}};
    for (const auto& c : cases) {
        TempMachine m;
        m.writeProgramFile("Mirvane.ini", before);
        TIniFile ini(m.programFile("Mirvane.ini"));
        auto batch = [](TIniBatch& b) {
            b.WriteString("Principal", "Modem", "Modem B");
            b.WriteString("Usuarios", "Usuario01", "bia");
        };
        {
            FileSizeLimit full(c.room);  // the disk takes `room` bytes of the new file
            if (c.written) EXPECT_NO_THROW(ini.Update(batch)) << c.room;
            else EXPECT_THROW(ini.Update(batch), EIniFileException) << c.room;
        }
        EXPECT_EQ(m.readProgramFile("Mirvane.ini"), c.written ? changed : before) << c.room;
        for (const auto& e :
             std::filesystem::directory_iterator(std::filesystem::path(m.path("Mirvane.ini")).parent_path()))
            EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }
}

TEST(IniFile, TwoWritersLoseNoKey) {
    TempMachine m;
    auto writer = [&m](char tag) {
        TIniFile ini(m.programFile("Mirvane.ini"));
        for (int i = 0; i < 50; ++i) ini.WriteInteger("Principal", std::string(1, tag) + std::to_string(i), i);
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    TIniFile ini(m.programFile("Mirvane.ini"));
    TStringList keys;
    ini.ReadSection("Principal", keys);
    EXPECT_EQ(keys.Count(), 100);
    EXPECT_EQ(ini.ReadInteger("Principal", "b49", -1), 49);
}
