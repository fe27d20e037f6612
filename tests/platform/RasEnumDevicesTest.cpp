// The simulated service's device list, called through the binding the programs use.
#include "platform/Library.h"
#include "platform/RasApi.h"
#include "support/TempMachine.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {
class RasEnumDevices : public ::testing::Test {
protected:
    void SetUp() override {
        machine.installDialUpService();
        library = LoadLibraryA("RASAPI32.DLL");
        ASSERT_NE(library, nullptr);
        enumDevices = reinterpret_cast<PFN_RasEnumDevicesA>(GetProcAddress(library, "RasEnumDevicesA"));
        ASSERT_NE(enumDevices, nullptr);
    }
    void TearDown() override { FreeLibrary(library); }

    static std::vector<RASDEVINFOA> records(std::size_t n, DWORD firstSize = sizeof(RASDEVINFOA)) {
        std::vector<RASDEVINFOA> v(n);
        v[0].dwSize = firstSize;
        return v;
    }

    TempMachine machine;
    HMODULE library = nullptr;
    PFN_RasEnumDevicesA enumDevices = nullptr;
};

const char* kThreeDevices =
    "modem\tModem Padrão 56K\n"
    "isdn\tRDSI Interna\r\n"
    "\n"
    "# a comment\n"
    "a line without a tab\n"
    "vpn\tWAN Miniport (PPTP)\n";
}  // namespace

TEST_F(RasEnumDevices, SizesAndCountsAsThePlatformReportsThem) {
    machine.writeMachineFile("devices.txt", kThreeDevices);
    struct {
        const char* name;
        std::size_t records;  // 0: no buffer
        DWORD firstSize;
        DWORD cb;
        DWORD result;
        DWORD cbAfter;
        DWORD countAfter;
    } cases[] = {
        {"size query without a buffer", 0, 0, 0, ERROR_BUFFER_TOO_SMALL, 456, 3},
        {"no buffer but a size claimed", 0, 0, 1000, ERROR_BUFFER_TOO_SMALL, 456, 3},
        {"one record for three devices", 1, 152, 152, ERROR_BUFFER_TOO_SMALL, 456, 3},
        {"buffer a byte short", 3, 152, 455, ERROR_BUFFER_TOO_SMALL, 456, 3},
        {"exact buffer", 3, 152, 456, ERROR_SUCCESS, 456, 3},
        {"larger buffer", 5, 152, 760, ERROR_SUCCESS, 456, 3},
        {"record of a later platform", 3, 156, 456, ERROR_INVALID_SIZE, 456, 99},
        {"record size zero", 3, 0, 456, ERROR_INVALID_SIZE, 456, 99},
    };
    for (auto& c : cases) {
        std::vector<RASDEVINFOA> buf = c.records ? records(c.records, c.firstSize) : std::vector<RASDEVINFOA>{};
        DWORD cb = c.cb, count = 99;
        EXPECT_EQ(enumDevices(c.records ? buf.data() : nullptr, &cb, &count), c.result) << c.name;
        EXPECT_EQ(cb, c.result == ERROR_INVALID_SIZE ? c.cb : c.cbAfter) << c.name;
        EXPECT_EQ(count, c.countAfter) << c.name;
        if (c.result != ERROR_SUCCESS && c.records) {
            EXPECT_EQ(buf[0].szDeviceName[0], '\0') << c.name;
        }
    }
    DWORD cb = 0, count = 0;
    EXPECT_EQ(enumDevices(nullptr, nullptr, &count), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(enumDevices(nullptr, &cb, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RasEnumDevices, RecordsHoldTheDevicesInOrderAs1252Text) {
    machine.writeMachineFile("devices.txt", kThreeDevices);
    auto buf = records(4);
    std::memset(buf[3].szDeviceName, 'x', 5);
    DWORD cb = 4 * sizeof(RASDEVINFOA), count = 0;
    ASSERT_EQ(enumDevices(buf.data(), &cb, &count), ERROR_SUCCESS);
    ASSERT_EQ(count, 3u);
    struct {
        const char* type;
        std::string name;
    } expected[] = {
        {"modem", "Modem Padr\xE3o 56K"},
        {"isdn", "RDSI Interna"},
        {"vpn", "WAN Miniport (PPTP)"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(buf[i].dwSize, sizeof(RASDEVINFOA));
        EXPECT_STREQ(buf[i].szDeviceType, expected[i].type);
        EXPECT_EQ(std::string(buf[i].szDeviceName), expected[i].name);
    }
    EXPECT_EQ(buf[3].szDeviceName[0], 'x');  // beyond the devices nothing is written
}

TEST_F(RasEnumDevices, LongTextsAreCutToTheirFields) {
    machine.writeMachineFile("devices.txt", std::string(20, 't') + "\t" + std::string(200, 'n') + "\n");
    auto buf = records(1);
    std::memset(&buf[0].szDeviceType, 'z', sizeof(RASDEVINFOA) - sizeof(DWORD));
    DWORD cb = sizeof(RASDEVINFOA), count = 0;
    ASSERT_EQ(enumDevices(buf.data(), &cb, &count), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buf[0].szDeviceType), std::string(16, 't'));
    EXPECT_EQ(std::string(buf[0].szDeviceName), std::string(128, 'n'));
}

TEST_F(RasEnumDevices, MachineWithoutDevices) {
    DWORD cb = 0, count = 7;
    EXPECT_EQ(enumDevices(nullptr, &cb, &count), ERROR_SUCCESS);
    EXPECT_EQ(cb, 0u);
    EXPECT_EQ(count, 0u);
}
