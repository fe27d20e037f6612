#include "Dialogs.h"

#include "BoxHelper.h"
#include "Machine.h"
#include "MachineLog.h"
#include "SysUtils.h"

#include <atomic>
#include <fstream>
#include <mutex>

namespace {
std::mutex gMutex;
MessageBoxHandler gResponder;
MessageBoxHandler gPresenter;
std::atomic<bool> gSuppressed{false};

constexpr MachineLog kLog{"messages.log", LogEscape::Backslash};

void record(const MessageBoxRequest& r, int answer) {
    kLog.Append({std::to_string(r.flags), r.caption, r.text, std::to_string(answer)});
}

// Pops the first answer of "message-answers.txt" ("6", "7", "1", "2"); false when none.
bool nextScriptedAnswer(int& answer) {
    std::lock_guard lock(gMutex);
    std::string path = MachineFile("message-answers.txt");
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string first, rest, line;
    bool found = false;
    while (std::getline(in, line)) {
        if (!found && !line.empty()) {
            first = line;
            found = true;
            continue;
        }
        rest += line + "\n";
    }
    in.close();
    if (!found) return false;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << rest;
    answer = static_cast<int>(StrToIntDef(first, IDCANCEL));
    return true;
}

int defaultAnswer(unsigned flags) { return (flags & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL; }
}  // namespace

int AskModal(const MessageBoxRequest& req, const MessageBoxHandler& present) {
    MessageBoxHandler responder;
    int answer;
    {
        std::lock_guard lock(gMutex);
        responder = gResponder;
    }
    if (gSuppressed.load()) answer = IDCANCEL;
    else if (responder) answer = responder(req);
    else if (nextScriptedAnswer(answer)) {
    } else if (present) answer = present(req);
    else answer = defaultAnswer(req.flags);
    {
        std::lock_guard lock(gMutex);
        record(req, answer);
    }
    return answer;
}

int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
    MessageBoxHandler presenter;
    {
        std::lock_guard lock(gMutex);
        presenter = gPresenter;
    }
    // Without a class library (the hook libraries) a desktop still shows the box.
    if (!presenter && BoxHelperWanted())
        presenter = [](const MessageBoxRequest& r) {
            int answer = PresentWithBoxHelper(r);
            return answer ? answer : defaultAnswer(r.flags);
        };
    return AskModal({text, caption, flags}, presenter);
}

void SetMessageBoxResponder(MessageBoxHandler r) {
    std::lock_guard lock(gMutex);
    gResponder = std::move(r);
}

void SetMessageBoxPresenter(MessageBoxHandler p) {
    std::lock_guard lock(gMutex);
    gPresenter = std::move(p);
}

void SetMessageBoxesSuppressed(bool s) { gSuppressed.store(s); }

std::vector<MessageBoxRequest> RecordedMessageBoxes() {
    std::lock_guard lock(gMutex);
    std::vector<MessageBoxRequest> out;
    for (const auto& f : kLog.Records(3)) out.push_back({f[2], f[1], static_cast<unsigned>(StrToIntDef(f[0], 0))});
    return out;
}
