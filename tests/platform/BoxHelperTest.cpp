// Message boxes of a program without a window system of its own: on a desktop with a
// display they go to the helper program and wait for its answer; a test machine keeps its
// log and its scripted answers. A stand-in helper records what it was given.
#include "platform/BoxHelper.h"
#include "platform/Dialogs.h"
#include "support/TempMachine.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>

namespace fs = std::filesystem;

namespace {
// The environment a case runs in, put back afterwards.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) was_ = v;
    }
    ~SavedVariable() {
        if (was_) setenv(name_, was_->c_str(), 1);
        else unsetenv(name_);
    }
    void set(const char* value) {
        if (value) setenv(name_, value, 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> was_;
};

// The hex digits of bytes, back to the bytes.
std::string fromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

class BoxHelperCase : public ::testing::Test {
protected:
    BoxHelperCase() {
        SetMessageBoxResponder(nullptr);  // no test responder: the layer decides
        helper = machine.path("vyn-messagebox");
        std::ofstream(helper, std::ios::binary) << "#!/bin/sh\n"
                                                   "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                                                << machine.dir()
                                                << "/helper-args'\n"
                                                   "exit $(cat '"
                                                << machine.dir() << "/helper-answer')\n";
        fs::permissions(helper, fs::perms::owner_all);
        SetBoxHelperPath(helper);
    }
    ~BoxHelperCase() override { SetBoxHelperPath(""); }

    std::vector<std::string> helperArgs() const {
        std::vector<std::string> out;
        std::ifstream in(machine.dir() + "/helper-args");
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    TempMachine machine;
    std::string helper;
    SavedVariable display{"DISPLAY"}, wayland{"WAYLAND_DISPLAY"}, noDesktop{"VYN_NO_DESKTOP"};
};

TEST_F(BoxHelperCase, OnADesktopWithADisplayTheHelperAnswersElseTheMachineDoes) {
    struct Row {
        const char* what;
        const char* display;
        const char* wayland;
        bool noDesktopFile;
        const char* noDesktopVariable;
        const char* scripted;  // message-answers.txt, when not null
        const char* helperAnswer;
        bool helperThere;
        unsigned flags;
        bool helperRuns;
        int answer;
    };
    const Row rows[] = {
        {"X display", ":0", nullptr, false, nullptr, nullptr, "7", true, MB_YESNO, true, IDNO},
        {"Wayland display", nullptr, "wayland-0", false, nullptr, nullptr, "1", true, MB_OK, true, IDOK},
        {"no display", nullptr, nullptr, false, nullptr, nullptr, "7", true, MB_YESNO, false, IDCANCEL},
        {"empty display names", "", "", false, nullptr, nullptr, "7", true, MB_YESNO, false, IDCANCEL},
        {"a test machine", ":0", nullptr, true, nullptr, nullptr, "7", true, MB_YESNO, false, IDCANCEL},
        {"no desktop by the environment", ":0", nullptr, false, "1", nullptr, "7", true, MB_OK, false, IDOK},
        {"scripted answers first", ":0", nullptr, false, nullptr, "6\n", "7", true, MB_YESNO, false, IDYES},
        {"no helper beside the library", ":0", nullptr, false, nullptr, nullptr, "7", false, MB_OKCANCEL, false,
         IDCANCEL},
        {"the helper gives no answer", ":0", nullptr, false, nullptr, nullptr, "0", true, MB_OK, true, IDOK},
        {"the helper fails", ":0", nullptr, false, nullptr, nullptr, "3", true, MB_YESNO, true, IDCANCEL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        display.set(row.display);
        wayland.set(row.wayland);
        noDesktop.set(row.noDesktopVariable);
        fs::remove(machine.dir() + "/no-desktop");
        if (row.noDesktopFile) machine.writeMachineFile("no-desktop", "");
        fs::remove(machine.dir() + "/message-answers.txt");
        if (row.scripted) machine.writeMachineFile("message-answers.txt", row.scripted);
        fs::remove(machine.dir() + "/messages.log");
        fs::remove(machine.dir() + "/helper-args");
        machine.writeMachineFile("helper-answer", row.helperAnswer);
        SetBoxHelperPath(row.helperThere ? helper : machine.dir() + "/nowhere/vyn-messagebox");

        EXPECT_EQ(MessageBox("Ruvozava n\xe3o encontrado", "Brenwick", MB_TASKMODAL | MB_ICONHAND | row.flags),
                  row.answer);
        EXPECT_EQ(fs::exists(machine.dir() + "/helper-args"), row.helperRuns);
        // Every box is in the machine's log, with the answer it got, whoever gave it.
        EXPECT_EQ(ReadFileBytes(machine.dir() + "/messages.log"),
                  std::to_string(MB_TASKMODAL | MB_ICONHAND | row.flags) +
                      "\tBrenwick\tRuvozava n\xe3o encontrado\t" + std::to_string(row.answer) + "\n");
    }
}

TEST_F(BoxHelperCase, TheHelperGetsTheBytesOfTheTextWhateverTheyAre) {
    display.set(":0");
    noDesktop.set(nullptr);
    fs::remove(machine.dir() + "/no-desktop");
    machine.writeMachineFile("helper-answer", "1");
    const AnsiString texts[] = {
        "-platform offscreen",                               // an option of the window system
        "$(touch x) `y` \"z\" 'w' ; | & * ~ \\",             // a shell's
        "\x80\x81\x8d\x9f\xa0\xff linha 1\r\nlinha 2\ttab",  // every kind of byte but zero
        "",
    };
    for (const AnsiString& text : texts) {
        SCOPED_TRACE(text);
        ASSERT_EQ(MessageBox(text, "Bren\xe9wick", MB_OK), IDOK);
        std::vector<std::string> args = helperArgs();
        ASSERT_EQ(args.size(), 3u);
        EXPECT_EQ(args[0], "0");
        EXPECT_EQ(fromHex(args[1]), "Bren\xe9wick");
        EXPECT_EQ(fromHex(args[2]), text);
        // Nothing any argument parser would take for an option or a separator.
        for (const std::string& a : args) EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos) << a;
        // And the helper reads them back to the same request.
        MessageBoxRequest back;
        ASSERT_TRUE(ParseBoxHelperArguments(args, back));
        EXPECT_EQ(back.text, text);
        EXPECT_EQ(back.caption, "Bren\xe9wick");
        EXPECT_EQ(back.flags, unsigned(MB_OK));
    }
}

TEST(BoxHelperArguments, MalformedArgumentsAreRefused) {
    const std::vector<std::string> bad[] = {
        {},
        {"16", "42"},
        {"16", "42", "4", "extra"},
        {"x16", "42", "41"},
        {"16", "4", "41"},  // half a byte
        {"16", "4g", "41"},
        {"16", "42", "-41"},
        {"", "42", "41"},
    };
    for (const auto& args : bad) {
        MessageBoxRequest r;
        EXPECT_FALSE(ParseBoxHelperArguments(args, r)) << ::testing::PrintToString(args);
    }
}
}  // namespace
