#include "platform/LockedFile.h"
#include "support/FileFaults.h"
#include "support/TempMachine.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {
// A fresh folder of the machine, so the listings below hold only what the tests put there.
std::string NewFolder(const TempMachine& m) {
    std::string dir = m.dir() + "/files";
    fs::create_directory(dir);
    return dir;
}

std::vector<std::string> FolderNames(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Whether another open of the lock file gets `operation` at once (flock locks belong to the
// open file, so this answers as another process would be answered).
bool LockableNow(const std::string& lockPath, int operation) {
    int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool got = ::flock(fd, operation | LOCK_NB) == 0;
    ::close(fd);
    return got;
}
}  // namespace

TEST(LockedFile, ReadTellsAMissingFileFromOneThatCannotBeRead) {
    TempMachine m;
    std::string dir = NewFolder(m);
    std::ofstream(dir + "/text.txt", std::ios::binary) << "a\r\nb\0c"s;
    std::ofstream(dir + "/empty.txt", std::ios::binary);
    fs::create_directory(dir + "/folder");
    struct {
        const char* name;
        FileRead state;
        std::string text;
    } cases[] = {
        {"text.txt", FileRead::Read, "a\r\nb\0c"s},
        {"empty.txt", FileRead::Read, ""},
        {"missing.txt", FileRead::Missing, ""},
        {"text.txt/below", FileRead::Missing, ""},  // a file where a folder should be
        {"folder", FileRead::Refused, ""},
    };
    for (const auto& c : cases) {
        std::string out = "left over";
        EXPECT_EQ(ReadFileContents(dir + "/" + c.name, out), c.state) << c.name;
        EXPECT_EQ(out, c.text) << c.name;
        EXPECT_EQ(ReadLockedFile(dir + "/" + c.name), c.text) << c.name;
    }
}

TEST(LockedFile, ReplacementsAreCountedAndLeaveNoTemporary) {
    TempMachine m;
    std::string dir = NewFolder(m);
    std::string path = dir + "/store.txt";
    LockedFile file(path, LockedFile::Exclusive);
    EXPECT_EQ(file.Generation(), 0u);
    for (std::string text : {"first", "second, longer", ""}) {
        ASSERT_TRUE(file.Replace(text));
        EXPECT_EQ(ReadFileBytes(path), text);
    }
    EXPECT_EQ(file.Generation(), 3u);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"store.txt", "store.txt.lock"}));
}

TEST(LockedFile, AReplacementClearsTheTemporariesAnInterruptedOneLeft) {
    TempMachine m;
    std::string dir = NewFolder(m);
    std::string path = dir + "/store.txt";
    for (const char* name : {"store.txt.tmp-a1B2c3", "store.txt.tmp-zzzzzz", "store.txt.tmp-toolong1",
                             "other.txt.tmp-a1B2c3", "store.txt.tmp-"})
        std::ofstream(dir + "/" + name) << "left by a writer that died";
    {
        LockedFile reader(path, LockedFile::Shared);
        EXPECT_FALSE(reader.Replace("x"));  // only under the exclusive lock
        EXPECT_EQ(errno, EPERM);
    }
    EXPECT_EQ(FolderNames(dir).size(), 6u);  // nothing removed, nothing written
    // A writer clears them as it takes the lock, also one that then writes nothing.
    LockedFile writer(path, LockedFile::Exclusive);
    EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"other.txt.tmp-a1B2c3", "store.txt.lock", "store.txt.tmp-",
                                                          "store.txt.tmp-toolong1"}));
    ASSERT_TRUE(writer.Replace("x"));
    EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"other.txt.tmp-a1B2c3", "store.txt", "store.txt.lock",
                                                          "store.txt.tmp-", "store.txt.tmp-toolong1"}));
}

TEST(LockedFile, AFailedReplacementLeavesTheOldStateAndSaysWhy) {
    TempMachine m;
    std::string dir = NewFolder(m);
    std::string path = dir + "/store.txt";
    fs::create_directory(path);  // what a refused write looks like, even to root
    {
        LockedFile file(path, LockedFile::Exclusive);
        errno = 0;
        EXPECT_FALSE(file.Replace("new"));
        EXPECT_EQ(errno, EISDIR);
        EXPECT_TRUE(fs::is_directory(path));
        EXPECT_EQ(file.Generation(), 0u);
    }
    EXPECT_FALSE(UpdateLockedFile(path, [](std::string& text) {
        text = "new";
        return true;
    }));
    EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"store.txt", "store.txt.lock"}));
    // Without the folder the same file is written; unchanged text writes nothing.
    fs::remove(path);
    EXPECT_TRUE(UpdateLockedFile(path, [](std::string& text) {
        EXPECT_EQ(text, "");
        return false;
    }));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(UpdateLockedFile(path, [](std::string& text) {
        text += "one";
        return true;
    }));
    EXPECT_TRUE(UpdateLockedFile(path, [](std::string& text) {
        text += ", two";
        return true;
    }));
    EXPECT_EQ(ReadFileBytes(path), "one, two");
}

TEST(LockedFile, AFileThatCannotBeReadIsNeverReplaced) {
    TempMachine m;
    std::string dir = NewFolder(m);
    std::string path = dir + "/store.txt";
    struct {
        const char* name;
        bool folder;
        int why;
    } cases[] = {
        {"unreadable file", false, EACCES},
        {"folder in its place", true, EISDIR},
    };
    for (const auto& c : cases) {
        fs::remove_all(path);
        if (c.folder) {
            fs::create_directory(path);
        } else {
            std::ofstream(path, std::ios::binary) << "two entries\n";
        }
        bool asked = false;
        {
            std::optional<UnreadableFile> unreadable;
            if (!c.folder) unreadable.emplace(path);
            errno = 0;
            EXPECT_FALSE(UpdateLockedFile(path, [&](std::string& text) {
                asked = true;
                text += "one more\n";
                return true;
            })) << c.name;
            EXPECT_EQ(errno, c.why) << c.name;
        }
        EXPECT_FALSE(asked) << c.name << ": read as empty";
        if (!c.folder) {
            EXPECT_EQ(ReadFileBytes(path), "two entries\n") << c.name;
        }
        EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"store.txt", "store.txt.lock"})) << c.name;
    }
}

TEST(LockedFile, TheLockKeepsWritersApartAndLetsReadersShare) {
    TempMachine m;
    std::string dir = NewFolder(m);
    std::string path = dir + "/registry.txt";
    std::string lock = dir + "/registry.lock";  // a lock file of its own name
    struct {
        LockedFile::Mode held;
        int asked;
        bool granted;
    } cases[] = {
        {LockedFile::Shared, LOCK_SH, true},
        {LockedFile::Shared, LOCK_EX, false},
        {LockedFile::Exclusive, LOCK_SH, false},
        {LockedFile::Exclusive, LOCK_EX, false},
    };
    for (const auto& c : cases) {
        {
            LockedFile file(path, c.held, lock);
            EXPECT_EQ(LockableNow(lock, c.asked), c.granted) << c.held << " " << c.asked;
        }
        EXPECT_TRUE(LockableNow(lock, LOCK_EX)) << "released";
    }
    EXPECT_FALSE(fs::exists(path + ".lock"));
}
