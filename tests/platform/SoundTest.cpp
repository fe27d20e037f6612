#include "platform/Resources.h"
#include "platform/Sound.h"
#include "support/TestFiles.h"
#include "support/TempMachine.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

static std::ostream& operator<<(std::ostream& os, const SoundCall& c) {
    return os << c.when << '|' << c.name << '|' << c.outcome;
}

namespace {
// Sets or clears an environment variable for one test and puts it back after.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvVar() {
        if (had_) setenv(name_.c_str(), old_.c_str(), 1);
        else unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_ = false;
};

}  // namespace

TEST(Sound, EveryCallIsRecordedAndNoDeviceMeansFalse) {
    TempMachine m;
    EXPECT_FALSE(PlaySoundResource("SND1"));
    m.clock.Advance(61000);
    EXPECT_FALSE(PlaySoundResource("SND9"));
    EXPECT_EQ(RecordedSounds(), (std::vector<SoundCall>{{"05/11/2004 14:03:09", "SND1", "no device"},
                                                        {"05/11/2004 14:04:10", "SND9", "not found"}}));
    EXPECT_EQ(ReadFileBytes(m.dir() + "/sound.log"),
              "05/11/2004 14:03:09\tSND1\tno device\n05/11/2004 14:04:10\tSND9\tnot found\n");
}

TEST(Sound, AStandInDeviceGetsTheWaveBytes) {
    TempMachine m;
    std::vector<std::string> heard;
    SetSoundDevice([&](const AnsiString& name, std::string_view wave) {
        heard.push_back(name + ":" + std::to_string(wave.size()));
        return wave == *FindResource("SND1");
    });
    EXPECT_TRUE(PlaySoundResource("snd1"));
    EXPECT_FALSE(PlaySoundResource("SND2"));  // never reaches the device
    EXPECT_EQ(heard, (std::vector<std::string>{"snd1:" + std::to_string(FindResource("SND1")->size())}));
    ASSERT_EQ(RecordedSounds().size(), 2u);
    EXPECT_EQ(RecordedSounds()[0].outcome, "played");
    EXPECT_EQ(RecordedSounds()[1].outcome, "not found");
}

// A machine with a sound server: a stand-in "paplay" on the PATH copies what it was given.
TEST(Sound, PlaysThroughThePlayerUnlessSwitchedOff) {
    TempMachine m;
    const std::string bin = m.dir() + "/bin";
    std::filesystem::create_directories(bin);
    {
        std::ofstream s(bin + "/paplay");
        s << "#!/bin/sh\ncp \"$1\" \"" << bin << "/heard.wav\"\necho \"$@\" > \"" << bin << "/args.tmp\"\nmv \""
          << bin << "/args.tmp\" \"" << bin << "/args.txt\"\n";
    }
    std::filesystem::permissions(bin + "/paplay", std::filesystem::perms::owner_all);
    EnvVar path("PATH", (bin + ":/usr/bin:/bin").c_str());
    EnvVar server("PULSE_SERVER", "unix:/nowhere");

    struct {
        const char* name;
        const char* env;
        bool fileOff;
        bool plays;
    } cases[] = {
        {"machine file off", nullptr, true, false},
        {"environment off", "off", false, false},
        {"switched on", nullptr, false, true},
    };
    for (auto& c : cases) {
        EnvVar sound("VYN_SOUND", c.env);
        m.writeMachineFile("sound.txt", c.fileOff ? "off\n" : "on\n");
        EXPECT_EQ(PlaySoundResource("SND1"), c.plays) << c.name;
    }
    // The player runs on its own; wait (bounded) for it to finish.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(bin + "/args.txt") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string wave = m.dir() + "/sound-SND1.wav";
    EXPECT_EQ(ReadFileBytes(bin + "/args.txt"), wave + "\n");
    EXPECT_EQ(ReadFileBytes(bin + "/heard.wav"), std::string(*FindResource("SND1")));
    std::vector<std::string> outcomes;
    for (auto& s : RecordedSounds()) outcomes.push_back(s.outcome);
    EXPECT_EQ(outcomes, (std::vector<std::string>{"no device", "no device", "played"}));
}
