#include "Dialogs.h"

#include "Machine.h"
#include "SysUtils.h"

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {
std::mutex gMutex;
MessageBoxHandler gResponder;
MessageBoxHandler gPresenter;
std::atomic<bool> gSuppressed{false};

std::string escape(const AnsiString& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

AnsiString unescape(const std::string& s) {
    AnsiString out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) { out += s[i]; continue; }
        char c = s[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

void record(const MessageBoxRequest& r, int answer) {
    std::ofstream f(MachineFile("messages.log"), std::ios::app | std::ios::binary);
    f << r.flags << '\t' << escape(r.caption) << '\t' << escape(r.text) << '\t' << answer << '\n';
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
        if (!found && !line.empty()) { first = line; found = true; continue; }
        rest += line + "\n";
    }
    in.close();
    if (!found) return false;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << rest;
    answer = static_cast<int>(StrToIntDef(first, IDCANCEL));
    return true;
}

int defaultAnswer(unsigned flags) { return (flags & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL; }
} // namespace

int AskModal(const MessageBoxRequest& req, const MessageBoxHandler& present) {
    MessageBoxHandler responder;
    int answer;
    {
        std::lock_guard lock(gMutex);
        responder = gResponder;
    }
    if (gSuppressed.load()) answer = IDCANCEL;
    else if (responder) answer = responder(req);
    else if (nextScriptedAnswer(answer)) {}
    else if (present) answer = present(req);
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
    std::ifstream in(MachineFile("messages.log"), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string flags, caption, text;
        std::getline(ls, flags, '\t');
        std::getline(ls, caption, '\t');
        std::getline(ls, text, '\t');
        out.push_back({unescape(text), unescape(caption), static_cast<unsigned>(StrToIntDef(flags, 0))});
    }
    return out;
}
