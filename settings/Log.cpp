#include "Log.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"
#include "platform/UiThread.h"

#include <atomic>

TLogger* Logger = nullptr;

struct TLogger::ViewHolder {
    std::atomic<TStrings*> view{nullptr};
};

TLogger::TLogger()
    : view_(std::make_shared<ViewHolder>()), fileName_(ExtractFileDir(Application->ExeName()) + "\\log.txt") {}

TLogger::~TLogger() { view_->view.store(nullptr); }

void TLogger::SetView(TStrings* view) { view_->view.store(view); }

void TLogger::Add(const AnsiString& text) {
    if (text.empty()) return;
    std::lock_guard lock(mutex_);
    lines_.Add(text);
    if (observer_) observer_(text);
    if (view_->view.load()) {
        QueueOnUiThread([holder = view_, text] {
            if (TStrings* v = holder->view.load()) v->Add(text);
        });
    }
    writeFile();
}

void TLogger::SetObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void TLogger::Save() {
    std::lock_guard lock(mutex_);
    writeFile();
}

std::vector<AnsiString> TLogger::Lines() const {
    std::lock_guard lock(mutex_);
    std::vector<AnsiString> out;
    for (int i = 0; i < lines_.Count(); ++i) out.push_back(lines_[i]);
    return out;
}

void TLogger::writeFile() {
    // A log that cannot be written must not stop the caller (often the dial notifier): the
    // line stays in memory and the next successful write stores the whole run.
    // Rewritten at every line: not flushed to disk each time, a crash of the machine may
    // lose its last lines.
    try {
        WriteWholeFile(fileName_, lines_.Text(), FileSync::Renamed);
    } catch (const Exception&) {}
}
