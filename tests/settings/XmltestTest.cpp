#include "SettingsFixture.h"

#include "settings/Xmltest.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(XmlCheck, OnlyCompleteDocumentsPassAndNothingIsLogged) {
    const std::string complete = "<?xml version=\"1.0\"?><QUALQUER><COISA a=\"\xE9\"/></QUALQUER>";
    struct {
        const char* what;
        std::string bytes;
        bool passes;
    } cases[] = {
        {"any complete document", complete, true},
        {"the same, compressed", Gzip(complete), true},
        {"cut off", complete.substr(0, complete.size() - 3), false},
        {"compressed, cut off", Gzip(complete.substr(0, 30)), false},
        {"an error page", "<html><body><p>Erro<br></body></html>", false},
        // The phone list's bounds hold: the next start reads what passes.
        {"within the list's bounds", OneCityList(std::string(4096, 'n'), "1"), true},
        {"beyond them", Gzip(OneCityList(std::string(64 << 20, 'n'), "1")), false},
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
