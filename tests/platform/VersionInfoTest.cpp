#include "platform/VersionInfo.h"
#include "support/TempMachine.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {
AnsiString ownFile() { return Utf8ToAnsi(std::filesystem::read_symlink("/proc/self/exe").string()); }
}  // namespace

TEST(VersionInfo, TheBuildGaveThisProgramItsBlock) {
    unsigned handle = 99;
    unsigned size = GetFileVersionInfoSizeA(ownFile(), &handle);
    ASSERT_GT(size, 16u);
    EXPECT_EQ(handle, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(ownFile(), handle, size, block.data()));

    void* value = nullptr;
    unsigned length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    uint32_t translation;
    std::memcpy(&translation, value, 4);
    EXPECT_EQ(translation & 0xFFFF, 0x0416u);
    EXPECT_EQ(translation >> 16, 0x04E4u);

    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041604E4\\FileVersion", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "1.3.0.28");
    EXPECT_EQ(length, 9u);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041604e4\\OriginalFilename", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "test_platform");
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\041604e4\\CompanyName", &value, &length));
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\04090000\\FileVersion", &value, &length));
}

TEST(VersionInfo, FilesWithoutABlockHaveSizeZero) {
    TempMachine m;
    m.writeProgramFile("texto.exe", "MZ not a program of this platform");
    m.writeProgramFile("vazio.exe", "");
    std::ofstream(m.path("cut.exe"), std::ios::binary) << "\x7f"
                                                          "ELF\x02\x01\x01";
    for (AnsiString f : {m.programFile("texto.exe"), m.programFile("vazio.exe"), m.programFile("cut.exe"),
                         m.programFile("missing.exe"), AnsiString("/bin/true"), Utf8ToAnsi(m.programDir())}) {
        unsigned handle = 7;
        EXPECT_EQ(GetFileVersionInfoSizeA(f, &handle), 0u) << f;
        unsigned char buf[64];
        EXPECT_FALSE(GetFileVersionInfoA(f, 0, sizeof buf, buf)) << f;
    }
}

TEST(VersionInfo, AShortCopyNeverLeadsPastItsEnd) {
    unsigned size = GetFileVersionInfoSizeA(ownFile(), nullptr);
    ASSERT_GT(size, 40u);
    // Only the header and the start of the first entry fit.
    std::vector<unsigned char> block(40, 0xCC);
    ASSERT_TRUE(GetFileVersionInfoA(ownFile(), 0, 40, block.data()));
    void* value = nullptr;
    unsigned length = 0;
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\041604e4\\FileVersion", &value, &length));
}
