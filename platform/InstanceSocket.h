#pragma once
// The single-instance marker: an abstract Unix socket named by user, machine directory and
// title. Binding the name is the claim, atomic (of two processes binding at the same moment
// exactly one succeeds); the kernel frees the name when the process ends, however it ends,
// and leaves no file behind. The holder's listener reads what other processes of the same
// user send, one line "msg wParam lParam" per message, and hands each message over in
// order, from a thread of its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct InstanceMessage {
    unsigned msg = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

class TInstanceListener {
public:
    using Deliver = std::function<void(const InstanceMessage&)>;
    // The listener holding `title`, or null when another process holds it.
    static std::unique_ptr<TInstanceListener> Claim(const std::string& title, Deliver deliver);
    // Gives the name up; no message is handed over once it returns.
    ~TInstanceListener();
    TInstanceListener(const TInstanceListener&) = delete;
    TInstanceListener& operator=(const TInstanceListener&) = delete;

private:
    struct Impl;
    explicit TInstanceListener(std::unique_ptr<Impl> d);
    std::unique_ptr<Impl> d_;
};

// Sends `m` to the process holding `title` and returns once it is on its way (at most
// `timeoutMs` to get it there); false when no process holds the title.
bool SendToInstance(const std::string& title, const InstanceMessage& m, int timeoutMs);
// Whether a process holds `title`; it is sent nothing and nothing is kept open.
bool InstanceHeld(const std::string& title, int timeoutMs);

// The socket's name (without the leading NUL of the abstract namespace).
std::string InstanceSocketName(const std::string& title);
