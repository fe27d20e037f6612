#include "platform/InstanceSocket.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {
// What a listener handed over, as "msg wParam lParam".
struct Received {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> lines;

    TInstanceListener::Deliver deliver() {
        return [this](const InstanceMessage& m) {
            std::lock_guard lock(mutex);
            lines.push_back(std::to_string(m.msg) + " " + std::to_string(m.wParam) + " " + std::to_string(m.lParam));
            changed.notify_all();
        };
    }
    // Bounded: a message that never comes fails the test instead of hanging it.
    std::vector<std::string> waitFor(std::size_t n) {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(20), [&] { return lines.size() >= n; });
        return lines;
    }
};

// A connection to the holder of `title` that sends `bytes` as they are, closed when it goes.
class RawSender {
public:
    RawSender(const std::string& title) : fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::string name = InstanceSocketName(title);
        std::memcpy(a.sun_path + 1, name.data(), name.size());
        auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), length) == 0;
    }
    ~RawSender() { close(fd_); }
    bool send(const std::string& bytes) {
        return connected_ &&
               ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

private:
    int fd_;
    bool connected_ = false;
};
}  // namespace

TEST(InstanceSocket, OneHolderPerTitleAndMachineUntilItLetsGo) {
    TempMachine m;
    Received r;
    EXPECT_FALSE(SendToInstance("Vyn um", {1, 2, 3}, 5000));  // nobody holds it yet
    auto first = TInstanceListener::Claim("Vyn um", r.deliver());
    ASSERT_TRUE(first);
    EXPECT_FALSE(TInstanceListener::Claim("Vyn um", r.deliver()));
    auto other = TInstanceListener::Claim("Vyn dois", r.deliver());
    EXPECT_TRUE(other);
    EXPECT_NE(InstanceSocketName("Vyn um"), InstanceSocketName("Vyn dois"));
    std::string here = InstanceSocketName("Vyn um");
    {
        TempMachine elsewhere;
        EXPECT_NE(InstanceSocketName("Vyn um"), here);
        EXPECT_TRUE(TInstanceListener::Claim("Vyn um", r.deliver()));
    }
    first.reset();
    EXPECT_FALSE(SendToInstance("Vyn um", {1, 2, 3}, 5000));
    EXPECT_TRUE(TInstanceListener::Claim("Vyn um", r.deliver()));
}

TEST(InstanceSocket, WellFormedLinesArriveInOrderAndTheRestIsDropped) {
    TempMachine m;
    Received r;
    auto holder = TInstanceListener::Claim("Vyn", r.deliver());
    ASSERT_TRUE(holder);
    struct {
        std::string bytes;
        const char* delivered;  // null: nothing
    } cases[] = {
        {"33169 0 0\n", "33169 0 0"},
        {"  5 18446744073709551615 -9223372036854775808 \n", "5 18446744073709551615 -9223372036854775808"},
        {"1 2\n", nullptr},
        {"1 2 3 4\n", nullptr},
        {"a b c\n", nullptr},
        {"1 2 3x\n", nullptr},
        {"-1 2 3\n", nullptr},
        {"1 +2 3\n", nullptr},
        {"4294967296 0 0\n", nullptr},  // past what a message number may be
        {"\n", nullptr},
        {"7 8", nullptr},                              // never ended
        {std::string(5000, '1') + " 1 1\n", nullptr},  // past what a line may be
    };
    // Separate senders are not ordered among themselves: each message is awaited.
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        RawSender s("Vyn");
        ASSERT_TRUE(s.send(c.bytes));
        if (!c.delivered) continue;
        expected.push_back(c.delivered);
        ASSERT_EQ(r.waitFor(expected.size()), expected);
    }
    // One sender's lines come in its order, also split across writes.
    {
        RawSender s("Vyn");
        ASSERT_TRUE(s.send("40 4"));
        ASSERT_TRUE(s.send("1 42\n41 0 1\n"));
        expected.push_back("40 41 42");
        expected.push_back("41 0 1");
    }
    ASSERT_EQ(r.waitFor(expected.size()), expected);
    ASSERT_TRUE(SendToInstance("Vyn", {99, 1, -1}, 5000));
    expected.push_back("99 1 -1");
    EXPECT_EQ(r.waitFor(expected.size()), expected);
    // Posts made one after another, unawaited, are handed over in the order they were made.
    for (char key : std::string("maria\r")) {
        ASSERT_TRUE(SendToInstance("Vyn", {258, static_cast<std::uint64_t>(key), 0}, 5000));
        expected.push_back("258 " + std::to_string(key) + " 0");
    }
    EXPECT_EQ(r.waitFor(expected.size()), expected);
}
