#include "platform/RegistryStore.h"
#include "platform/WinReg.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class WinReg : public ::testing::Test {
protected:
    void SetUp() override {
        SeedRegistry("[HKLM\\System\\CurrentControlSet\\Services\\Class\\Net\\0000]\n"
                     "\"AdapterName\" = REG_SZ \"MS$PPP\"\n"
                     "\"Bytes\" = REG_BINARY 01 02 03 04 05 06\n");
    }
    void TearDown() override {
        for (HKEY k : open_) RegCloseKey(k);
    }
    HKEY Open(const char* path, REGSAM sam = KEY_READ, HKEY root = HKEY_LOCAL_MACHINE) {
        HKEY k = nullptr;
        EXPECT_EQ(RegOpenKeyExA(root, path, 0, sam, &k), ERROR_SUCCESS) << path;
        open_.push_back(k);
        return k;
    }
    TempMachine machine_;
    std::vector<HKEY> open_;
};

}  // namespace

TEST_F(WinReg, QueryTellsTheSizeAndFillsOnlyABufferThatFits) {
    HKEY k = Open("system\\currentcontrolset\\services\\class\\net\\0000\\");  // a trailing "\" is allowed
    DWORD type = 99, size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "Bytes", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(size, 6u);
    BYTE buf[8];
    std::memset(buf, 0xAA, sizeof buf);
    size = 4;
    EXPECT_EQ(RegQueryValueExA(k, "Bytes", nullptr, &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buf[0], 0xAA);
    size = 8;
    EXPECT_EQ(RegQueryValueExA(k, "Bytes", nullptr, &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buf[5], 6);
    EXPECT_EQ(buf[6], 0xAA);
    EXPECT_EQ(RegQueryValueExA(k, "Missing", nullptr, &type, buf, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(k, "Bytes", nullptr, &type, buf, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(WinReg, OpenAndCreateReportThePlatformsErrors) {
    HKEY k = nullptr;
    struct { HKEY root; const char* path; LONG expected; } opens[] = {
        {HKEY_LOCAL_MACHINE, "System\\Missing", ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "\\System", ERROR_BAD_PATHNAME},
        {HKEY_LOCAL_MACHINE, "System\\\\CurrentControlSet", ERROR_BAD_PATHNAME},
        {reinterpret_cast<HKEY>(std::uintptr_t{0x80000000u}), "x", ERROR_INVALID_HANDLE},  // HKEY_CLASSES_ROOT
        {HKEY_LOCAL_MACHINE, "", ERROR_SUCCESS},
    };
    for (const auto& o : opens) {
        EXPECT_EQ(RegOpenKeyExA(o.root, o.path, 0, KEY_READ, &k), o.expected) << o.path;
        if (o.expected == ERROR_SUCCESS) RegCloseKey(k);
        else EXPECT_EQ(k, nullptr);
    }
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // Relative to an open key; a key with subkeys is not deleted.
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(k, "C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "A"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(k, "C"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(k, "C"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_DWORD, nullptr, 0), ERROR_INVALID_HANDLE);
}

TEST_F(WinReg, AHandleWhoseKeyWasDeletedReportsIt) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Gone", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    open_.push_back(k);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
}

TEST_F(WinReg, EnumerationInOrderWithBufferSizes) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "E", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    open_.push_back(k);
    for (const char* name : {"Long name", "b", "A"}) {
        HKEY sub = nullptr;
        ASSERT_EQ(RegCreateKeyExA(k, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
        RegCloseKey(sub);
        ASSERT_EQ(RegSetValueExA(k, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(name), DWORD(std::strlen(name))),
                  ERROR_SUCCESS);
    }
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxName, &maxData,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ((std::vector<DWORD>{subKeys, maxSubKey, values, maxName, maxData}), (std::vector<DWORD>{3, 9, 3, 9, 9}));
    char name[16];
    DWORD len = 9;  // no room for the zero
    EXPECT_EQ(RegEnumKeyExA(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    std::vector<std::string> keys, valueNames;
    for (DWORD i = 0;; ++i) {
        len = sizeof name;
        LONG rc = RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        EXPECT_EQ(len, std::strlen(name));
        keys.push_back(name);
    }
    for (DWORD i = 0;; ++i) {
        len = sizeof name;
        BYTE data[16];
        DWORD type = 0, size = sizeof data;
        LONG rc = RegEnumValueA(k, i, name, &len, nullptr, &type, data, &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), name);
        valueNames.push_back(name);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Long name", "b", "A"}));
    EXPECT_EQ(valueNames, keys);
}

TEST_F(WinReg, RightsOfTheHandleAreChecked) {
    HKEY reader = Open("System\\CurrentControlSet\\Services\\Class\\Net\\0000", KEY_QUERY_VALUE);
    EXPECT_EQ(RegSetValueExA(reader, "x", 0, REG_NONE, nullptr, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "AdapterName"), ERROR_ACCESS_DENIED);
    char name[16];
    DWORD len = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(reader, 0, name, &len, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    machine_.writeMachineFile("registry-access.txt", "none HKLM\\System\n");
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System", 0, KEY_READ, &k), ERROR_ACCESS_DENIED);
    machine_.writeMachineFile("registry-access.txt", "bogus HKLM\n");  // a broken rules file denies all
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &k), ERROR_ACCESS_DENIED);
}
