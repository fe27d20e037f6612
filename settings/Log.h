#pragma once
// The status log: every status line of the run, held in memory, shown in the main window's
// status view and written whole to "log.txt" beside the program.
#include "platform/AnsiString.h"
#include "platform/Classes.h"

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
};

extern TLogger* Logger;
