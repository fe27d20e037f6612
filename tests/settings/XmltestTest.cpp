#include "SettingsFixture.h"

#include "settings/Xmltest.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(XmlCheck, OnlyCompleteDocumentsPassAndNothingIsLogged) {
    const std::string complete = "<?xml version=\"1.0\"?><QUALQUER><COISA a=\"\xE9\"/></QUALQUER>";
    struct { const char* what; std::string bytes; bool passes; } cases[] = {
        {"any complete document", complete, true},
        {"the same, compressed", Gzip(complete), true},
        {"cut off", complete.substr(0, complete.size() - 3), false},
        {"compressed, cut off", Gzip(complete.substr(0, 30)), false},
        {"an error page", "<html><body><p>Erro<br></body></html>", false},
        {"empty", "", false},
        {"missing", "", false},
        {"a folder", "", false},
    };
    for (auto& c : cases) {
        LoggedMachine m;
        std::string what = c.what;
        if (what == "a folder") std::filesystem::create_directory(m.machine.path("telstemp"));
        else if (what != "missing") m.machine.writeProgramFile("telstemp", c.bytes);
        TXMLtest test;
        EXPECT_EQ(test.Test("telstemp"), c.passes) << c.what;
        EXPECT_TRUE(m.lines().empty()) << c.what;
    }
}

TEST(XmlCheck, ADownloadBeyondTheListsBoundsIsRefusedAndSaysWhy) {
    struct { const char* what; std::string bytes; TXmlRead outcome; } cases[] = {
        {"16 MB, exactly", PhoneListOfSize(16 << 20), TXmlRead::Parsed},
        {"17 MB packed small", GzipBytes(PhoneListOfSize(17 << 20), 1), TXmlRead::TooLarge},
        {"a number a byte over 4 KB", PhoneListWithNumber(4097), TXmlRead::TooLong},
        {"a 64 MB attribute in 65 KB of gzip", GzipBytes(PhoneListWithAttribute(64 << 20)), TXmlRead::TooLong},
        {"33 deep", PhoneListNested(33), TXmlRead::TooDeep},
        {"not a document", "<ESTADOS>", TXmlRead::ParseFailed},
    };
    for (auto& c : cases) {
        LoggedMachine m;
        m.machine.writeProgramFile("telstemp", c.bytes);
        TXMLtest test;
        EXPECT_EQ(test.Test("telstemp"), c.outcome == TXmlRead::Parsed) << c.what;
        EXPECT_EQ(test.Outcome(), c.outcome) << c.what;
        EXPECT_TRUE(m.lines().empty()) << c.what;
    }
}
