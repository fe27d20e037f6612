#pragma once
// The status log: every status line of the run, held in memory, shown in the main window's
// status view and written whole to "log.txt" beside the program.
#include "platform/AnsiString.h"
#include "platform/Classes.h"

#include <functional>
#include <memory>
#include <mutex>

class TLogger {
public:
    TLogger();
    ~TLogger();
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // The view is only touched on the user-interface thread; lines reach it in order.
    void SetView(TStrings* view);
    void Add(const AnsiString& text);
    void Save();

    // Tests: told of each line as it is added, on the adding thread, in the log's order. It
    // must not call back into the log.
    using Observer = std::function<void(const AnsiString& line)>;
    void SetObserver(Observer observer);

    // For the window and tests: a copy of the lines so far.
    std::vector<AnsiString> Lines() const;
    AnsiString FileName() const { return fileName_; }

private:
    struct ViewHolder;
    void writeFile();  // caller holds mutex_

    mutable std::mutex mutex_;
    TStringList lines_;
    std::shared_ptr<ViewHolder> view_;
    AnsiString fileName_;
    Observer observer_;
};

extern TLogger* Logger;
