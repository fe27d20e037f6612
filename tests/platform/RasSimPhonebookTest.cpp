#include "support/FileFaults.h"
#include "support/TestFiles.h"
// The simulated service's phonebook: the argument checks of each export, the bytes kept as
// written, the order and case of names, and the file that keeps them across loads.
#include "RasSimFixture.h"

#include "platform/rassim/Phonebook.h"  // ERROR_INVALID_NAME

#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// An entry as the programs write it: the record and, behind it, an empty list of alternate
// numbers and the later fields, 2090 bytes in all.
std::vector<char> programEntry(const std::string& modem = "Modem Padr\xE3o 56K") {
    std::vector<char> buf(2090, 0);
    RASENTRYA& e = *reinterpret_cast<RASENTRYA*>(buf.data());
    e.dwSize = sizeof(RASENTRYA);
    e.dwfOptions = RASEO_IpHeaderCompression | RASEO_RemoteDefaultGateway | RASEO_SwCompression;
    std::strcpy(e.szLocalPhoneNumber, "0");
    e.dwAlternateOffset = sizeof(RASENTRYA);
    e.dwFrameSize = 1500;
    e.dwfNetProtocols = RASNP_Ip;
    e.dwFramingProtocol = RASFP_Ppp;
    std::strcpy(e.szAutodialDll, "C:\\Arquivos de programas\\Vyn\\Tebrin.dll");
    std::strcpy(e.szAutodialFunc, "AutoDialHandler");
    std::strcpy(e.szDeviceType, "modem");
    std::strcpy(e.szDeviceName, modem.c_str());
    DWORD idle = 0xFFFFFFFF;
    std::memcpy(buf.data() + 1792, &idle, 4);
    return buf;
}

}  // namespace

class RasSimPhonebook : public RasSim {
protected:
    DWORD set(const char* name, std::vector<char>& buf) {
        return RasSetEntryPropertiesA(nullptr, name, reinterpret_cast<RASENTRYA*>(buf.data()),
                                      static_cast<DWORD>(buf.size()), nullptr, 0);
    }
    std::vector<std::string> names() {
        std::vector<RASENTRYNAMEA> buf(100);
        buf[0].dwSize = sizeof(RASENTRYNAMEA);
        DWORD cb = static_cast<DWORD>(buf.size() * sizeof(RASENTRYNAMEA)), count = 0;
        EXPECT_EQ(RasEnumEntriesA(nullptr, nullptr, buf.data(), &cb, &count), ERROR_SUCCESS);
        std::vector<std::string> out;
        for (DWORD i = 0; i < count; ++i) out.push_back(buf[i].szEntryName);
        return out;
    }
};

TEST_F(RasSimPhonebook, AnEntryReadsBackAsTheBytesAndSizeItWasWrittenWith) {
    std::vector<char> written = programEntry();
    ASSERT_EQ(set("Ruvozava Corvala 1.3.0", written), ERROR_SUCCESS);
    auto logged = sim->Calls("RasSetEntryPropertiesA");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].Buffer("entry"), std::string(written.begin(), written.end()));
    EXPECT_EQ(logged[0].Arg("lpszEntry"), "Ruvozava Corvala 1.3.0");
    EXPECT_EQ(logged[0].Arg("dwEntryInfoSize"), "2090");

    // The size query the programs make first, then the read with that size and more.
    DWORD size = 0;
    EXPECT_EQ(RasGetEntryPropertiesA(nullptr, "Ruvozava Corvala 1.3.0", nullptr, &size, nullptr, nullptr),
              ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 2090u);
    std::vector<char> read(size + 2, 'x');
    reinterpret_cast<RASENTRYA*>(read.data())->dwSize = sizeof(RASENTRYA);
    DWORD devSize = 77;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "ruvozava corvala 1.3.0", reinterpret_cast<RASENTRYA*>(read.data()),
                                     &size, nullptr, &devSize),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 2090u);
    EXPECT_EQ(devSize, 0u);
    EXPECT_EQ(std::string(read.begin(), read.begin() + 2090), std::string(written.begin(), written.end()));
    EXPECT_EQ(read[2090], 'x');

    // A rewrite with another size is what the next read gives.
    std::vector<char> shorter(written.begin(), written.begin() + 1770);
    std::strcpy(reinterpret_cast<RASENTRYA*>(shorter.data())->szLocalPhoneNumber, "P9,*700");
    ASSERT_EQ(set("Ruvozava Corvala 1.3.0", shorter), ERROR_SUCCESS);
    size = 2090;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "Ruvozava Corvala 1.3.0", reinterpret_cast<RASENTRYA*>(read.data()),
                                     &size, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 1770u);
    EXPECT_STREQ(reinterpret_cast<RASENTRYA*>(read.data())->szLocalPhoneNumber, "P9,*700");
}

TEST_F(RasSimPhonebook, ReadingChecksSizeEntryAndBuffer) {
    std::vector<char> written = programEntry();
    ASSERT_EQ(set("Ruvozava Corvala 1.3.0", written), ERROR_SUCCESS);
    struct {
        const char* name;
        const char* phonebook;
        const char* entry;
        DWORD recordSize;  // 0: no buffer
        DWORD size;
        bool sizePointer;
        DWORD result;
        DWORD sizeAfter;
    } cases[] = {
        {"size query", nullptr, "Ruvozava Corvala 1.3.0", 0, 0, true, ERROR_BUFFER_TOO_SMALL, 2090},
        {"record alone is too small", nullptr, "Ruvozava Corvala 1.3.0", 1768, 1768, true, ERROR_BUFFER_TOO_SMALL,
         2090},
        {"record of another size", nullptr, "Ruvozava Corvala 1.3.0", 1780, 4000, true, ERROR_INVALID_SIZE, 4000},
        {"missing entry, size query", nullptr, "Ruvozava Corvala 1.2.9", 0, 0, true,
         ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, 0},
        {"missing entry", nullptr, "Ruvozava Corvala 1.2.9", 1768, 4000, true, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY,
         4000},
        {"no size", nullptr, "Ruvozava Corvala 1.3.0", 1768, 4000, false, ERROR_INVALID_PARAMETER, 4000},
        {"another phonebook", "C:\\outro.pbk", "Ruvozava Corvala 1.3.0", 1768, 4000, true,
         ERROR_CANNOT_OPEN_PHONEBOOK, 4000},
        {"whole buffer", nullptr, "Ruvozava Corvala 1.3.0", 1768, 2090, true, ERROR_SUCCESS, 2090},
    };
    for (auto& c : cases) {
        std::vector<char> buf(4000, 'x');
        if (c.recordSize) reinterpret_cast<RASENTRYA*>(buf.data())->dwSize = c.recordSize;
        DWORD size = c.size;
        EXPECT_EQ(RasGetEntryPropertiesA(c.phonebook, c.entry,
                                         c.recordSize ? reinterpret_cast<RASENTRYA*>(buf.data()) : nullptr,
                                         c.sizePointer ? &size : nullptr, nullptr, nullptr),
                  c.result)
            << c.name;
        EXPECT_EQ(size, c.sizeAfter) << c.name;
        if (c.result != ERROR_SUCCESS) {
            EXPECT_EQ(buf[10], 'x') << c.name << ": nothing written";
        }
    }
    // No entry name: what the platform offers for a new entry.
    RASENTRYA fresh{};
    fresh.dwSize = sizeof fresh;
    DWORD size = sizeof fresh;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "", &fresh, &size, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof fresh);
    EXPECT_EQ(fresh.dwFramingProtocol, RASFP_Ppp);
    EXPECT_STREQ(fresh.szDeviceName, "Modem Padr\xE3o 56K");
}

TEST_F(RasSimPhonebook, WritingChecksRecordSizeTextsAndName) {
    struct {
        const char* name;
        std::function<void(std::vector<char>&)> change;
        const char* entry;
        DWORD result;
    } cases[] = {
        {"as the programs write it", [](std::vector<char>&) {}, "Ruvozava Corvala 1.3.0", ERROR_SUCCESS},
        {"record of another size",
         [](std::vector<char>& b) { reinterpret_cast<RASENTRYA*>(b.data())->dwSize = 1780; }, "A",
         ERROR_INVALID_SIZE},
        {"buffer shorter than the record", [](std::vector<char>& b) { b.resize(1700); }, "A", ERROR_BUFFER_INVALID},
        {"record alone, no alternates",
         [](std::vector<char>& b) {
             b.resize(1768);
             reinterpret_cast<RASENTRYA*>(b.data())->dwAlternateOffset = 0;
         },
         "A", ERROR_SUCCESS},
        {"alternates past the buffer",
         [](std::vector<char>& b) { reinterpret_cast<RASENTRYA*>(b.data())->dwAlternateOffset = 2090; }, "A",
         ERROR_BUFFER_INVALID},
        {"alternates inside the record",
         [](std::vector<char>& b) { reinterpret_cast<RASENTRYA*>(b.data())->dwAlternateOffset = 100; }, "A",
         ERROR_BUFFER_INVALID},
        {"alternates without their end",
         [](std::vector<char>& b) {
             b.resize(1772);
             std::memcpy(b.data() + 1768, "1\0002", 4);
         },
         "A", ERROR_BUFFER_INVALID},
        {"device name without its zero",
         [](std::vector<char>& b) {
             std::memset(reinterpret_cast<RASENTRYA*>(b.data())->szDeviceName, 'M', RAS_MaxDeviceName + 1);
         },
         "A", ERROR_INVALID_PARAMETER},
        {"phone number without its zero",
         [](std::vector<char>& b) {
             std::memset(reinterpret_cast<RASENTRYA*>(b.data())->szLocalPhoneNumber, '9', RAS_MaxPhoneNumber + 1);
         },
         "A", ERROR_INVALID_PARAMETER},
        {"empty name", [](std::vector<char>&) {}, "", ERROR_INVALID_NAME},
        {"name starting with a dot", [](std::vector<char>&) {}, ".oculta", ERROR_INVALID_NAME},
        {"name with a tab", [](std::vector<char>&) {}, "a\tb", ERROR_INVALID_NAME},
        {"name of 257 characters", [](std::vector<char>&) {}, nullptr, ERROR_INVALID_NAME},
    };
    std::string longName(257, 'n');
    for (auto& c : cases) {
        std::vector<char> buf = programEntry();
        c.change(buf);
        EXPECT_EQ(set(c.entry ? c.entry : longName.c_str(), buf), c.result) << c.name;
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"Ruvozava Corvala 1.3.0", "A"}));

    std::vector<char> buf = programEntry();
    auto* e = reinterpret_cast<RASENTRYA*>(buf.data());
    EXPECT_EQ(RasSetEntryPropertiesA(nullptr, nullptr, e, 2090, nullptr, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasSetEntryPropertiesA(nullptr, "A", nullptr, 2090, nullptr, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasSetEntryPropertiesA("C:\\x.pbk", "A", e, 2090, nullptr, 0), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(RasSetEntryPropertiesA(nullptr, "A", e, 2090, nullptr, 4), ERROR_INVALID_PARAMETER);
    BYTE device[4] = {1, 2, 3, 4};
    EXPECT_EQ(RasSetEntryPropertiesA(nullptr, "A", e, 2090, device, 4), ERROR_SUCCESS);
    EXPECT_EQ(sim->Calls("RasSetEntryPropertiesA").back().Buffer("deviceInfo"), std::string("\1\2\3\4", 4));
    std::string big(257, 'n');
    EXPECT_EQ(RasSetEntryPropertiesA(nullptr, big.substr(0, 256).c_str(), e, 2090, nullptr, 0), ERROR_SUCCESS)
        << "256 characters fit";
}

TEST_F(RasSimPhonebook, EnumerationTellsTheSizeNeededThenListsInTheOrderWritten) {
    std::vector<char> buf = programEntry();
    for (const char* n : {"Ruvozava Corvala 1.2.9", "discador corvala 1.2", "Ruvozava Corvala"})
        ASSERT_EQ(set(n, buf), ERROR_SUCCESS);
    // A rewrite in other letter case keeps the first name and its place.
    ASSERT_EQ(set("DISCADOR CORVALA 1.2", buf), ERROR_SUCCESS);

    struct {
        const char* name;
        std::size_t records;  // 0: no buffer
        DWORD firstSize;
        DWORD cb;
        const char* reserved;
        DWORD result;
        DWORD cbAfter, countAfter;
    } cases[] = {
        {"size query", 0, 0, 0, nullptr, ERROR_BUFFER_TOO_SMALL, 792, 3},
        {"one record for three", 1, 264, 264, nullptr, ERROR_BUFFER_TOO_SMALL, 792, 3},
        {"a byte short", 3, 264, 791, nullptr, ERROR_BUFFER_TOO_SMALL, 792, 3},
        {"the programs' 1024 records", 1024, 264, 270336, nullptr, ERROR_SUCCESS, 792, 3},
        {"record of another size", 3, 260, 792, nullptr, ERROR_INVALID_SIZE, 792, 99},
        {"reserved not null", 3, 264, 792, "x", ERROR_INVALID_PARAMETER, 792, 99},
    };
    for (auto& c : cases) {
        std::vector<RASENTRYNAMEA> records(c.records ? c.records : 1);
        records[0].dwSize = c.firstSize;
        DWORD cb = c.cb, count = 99;
        EXPECT_EQ(RasEnumEntriesA(c.reserved, nullptr, c.records ? records.data() : nullptr, &cb, &count), c.result)
            << c.name;
        EXPECT_EQ(cb, c.cbAfter) << c.name;
        EXPECT_EQ(count, c.countAfter) << c.name;
        if (c.result == ERROR_SUCCESS) {
            EXPECT_STREQ(records[0].szEntryName, "Ruvozava Corvala 1.2.9");
            EXPECT_STREQ(records[1].szEntryName, "discador corvala 1.2");
            EXPECT_STREQ(records[2].szEntryName, "Ruvozava Corvala");
            EXPECT_EQ(records[2].dwSize, sizeof(RASENTRYNAMEA));
        } else if (c.records) {
            EXPECT_EQ(records[0].szEntryName[0], '\0') << c.name << ": nothing written";
        }
    }
    DWORD cb = 0, count = 0;
    EXPECT_EQ(RasEnumEntriesA(nullptr, nullptr, nullptr, nullptr, &count), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasEnumEntriesA(nullptr, "C:\\x.pbk", nullptr, &cb, &count), ERROR_CANNOT_OPEN_PHONEBOOK);
}

TEST_F(RasSimPhonebook, DeletingAndEditing) {
    std::vector<char> buf = programEntry();
    ASSERT_EQ(set("Ruvozava Corvala 1.2.9", buf), ERROR_SUCCESS);
    ASSERT_EQ(set("Ruvozava Corvala 1.3.0", buf), ERROR_SUCCESS);
    EXPECT_EQ(RasDeleteEntryA(nullptr, "RUVOZAVA CORVALA 1.2.9"), ERROR_SUCCESS);
    EXPECT_EQ(RasDeleteEntryA(nullptr, "Ruvozava Corvala 1.2.9"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(RasDeleteEntryA(nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasDeleteEntryA("C:\\x.pbk", "Ruvozava Corvala 1.3.0"), ERROR_CANNOT_OPEN_PHONEBOOK);
    EXPECT_EQ(names(), std::vector<std::string>{"Ruvozava Corvala 1.3.0"});

    EXPECT_EQ(RasEditPhonebookEntryA(nullptr, nullptr, "Ruvozava Corvala 1.3.0"), ERROR_SUCCESS);
    EXPECT_EQ(RasEditPhonebookEntryA(nullptr, nullptr, ""), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(RasEditPhonebookEntryA(nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    writeScript("edit 1223\n");
    EXPECT_EQ(RasEditPhonebookEntryA(nullptr, nullptr, "Ruvozava Corvala 1.3.0"), 1223u);
    auto edits = sim->Calls("RasEditPhonebookEntryA");
    ASSERT_EQ(edits.size(), 4u);
    EXPECT_EQ(edits[0].Arg("lpszEntryName"), "Ruvozava Corvala 1.3.0");
    EXPECT_EQ(edits[0].Arg("hwnd"), "null");
    EXPECT_EQ(edits[0].Arg("lpszPhonebook"), "null");
}

TEST_F(RasSimPhonebook, ThePhonebookOutlivesTheServiceInTheMachineDirectory) {
    std::vector<char> buf = programEntry();
    ASSERT_EQ(set("Ruvozava Corvala 1.3.0", buf), ERROR_SUCCESS);
    ASSERT_EQ(set("Conex\xE3o do vizinho", buf), ERROR_SUCCESS);
    std::string file = ReadFileBytes(machine.dir() + "/phonebook.txt");
    EXPECT_EQ(file.substr(0, 27), "Ruvozava Corvala 1.3.0\t2090");
    EXPECT_NE(file.find("\nConex\xC3\xA3o do vizinho\t2090\t"), std::string::npos) << "names in UTF-8";

    sim->Reset();
    EXPECT_EQ(names(), (std::vector<std::string>{"Ruvozava Corvala 1.3.0", "Conex\xE3o do vizinho"}));
    ASSERT_TRUE(FreeLibrary(library));
    library = LoadLibraryA("RASAPI32.DLL");
    ASSERT_NE(library, nullptr);
    RasEnumEntriesA = reinterpret_cast<PFN_RasEnumEntriesA>(GetProcAddress(library, "RasEnumEntriesA"));
    RasGetEntryPropertiesA = reinterpret_cast<PFN_RasGetEntryPropertiesA>(
        GetProcAddress(library, "RasGetEntryPropertiesA"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Ruvozava Corvala 1.3.0", "Conex\xE3o do vizinho"}));
    std::vector<char> read(2090);
    reinterpret_cast<RASENTRYA*>(read.data())->dwSize = sizeof(RASENTRYA);
    DWORD size = 2090;
    ASSERT_EQ(RasGetEntryPropertiesA(nullptr, "Conex\xE3o do vizinho", reinterpret_cast<RASENTRYA*>(read.data()),
                                     &size, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(read, buf);
}

TEST_F(RasSimPhonebook, AnUnreadablePhonebookIsNotAnEmptyOne) {
    std::vector<char> buf = programEntry();
    ASSERT_EQ(set("Ruvozava Corvala 1.3.0", buf), ERROR_SUCCESS);
    ASSERT_EQ(set("Conex\xE3o do vizinho", buf), ERROR_SUCCESS);
    std::string path = machine.dir() + "/phonebook.txt";
    std::string before = ReadFileBytes(path);
    {
        UnreadableFile unreadable(path);
        EXPECT_EQ(set("Ruvozava Corvala 1.3.1", buf), DWORD(ERROR_CANNOT_OPEN_PHONEBOOK));
        EXPECT_EQ(set("Conex\xE3o do vizinho", buf), DWORD(ERROR_CANNOT_OPEN_PHONEBOOK));
        EXPECT_EQ(RasDeleteEntryA(nullptr, "Ruvozava Corvala 1.3.0"), DWORD(ERROR_CANNOT_OPEN_PHONEBOOK));
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(names(), (std::vector<std::string>{"Ruvozava Corvala 1.3.0", "Conex\xE3o do vizinho"}));
}

TEST_F(RasSimPhonebook, WritersAtTheSameTimeLoseNoEntry) {
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([this, w] {
            std::vector<char> buf = programEntry();
            for (int i = 0; i < 15; ++i) {
                std::string name = "E" + std::to_string(w) + "-" + std::to_string(i);
                EXPECT_EQ(set(name.c_str(), buf), ERROR_SUCCESS);
            }
        });
    for (auto& t : writers) t.join();
    EXPECT_EQ(names().size(), 60u);
}

TEST_F(RasSimPhonebook, WritersInTwoProcessesLoseNoEntry) {
    auto writeSome = [this](const char* prefix) {
        std::vector<char> buf = programEntry();
        bool ok = true;
        for (int i = 0; i < 20; ++i) {
            std::string name = prefix + std::to_string(i);
            ok = set(name.c_str(), buf) == ERROR_SUCCESS && ok;
        }
        return ok;
    };
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(writeSome("child-") ? 0 : 1);
    EXPECT_TRUE(writeSome("parent-"));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(names().size(), 40u);
}
