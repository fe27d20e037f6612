#pragma once
// A file that several processes read and change: the settings file both editions share, the
// machine's registry, the dial-up service's phonebook and AutoDial table.
//
// A change is a read-modify-write under an advisory lock (flock) on a lock file beside the
// file ("<file>.lock" unless told otherwise): shared to read, exclusive to change. The new
// content goes to a temporary file in the same folder ("<file>.tmp-XXXXXX"), is flushed to
// disk and renamed over the file, so a reader sees the old file or the new one, never half of
// one, and a failed write leaves the old one. Taking the exclusive lock removes the
// temporaries an interrupted replacement left behind. Each replacement also counts up a
// number kept in the lock file, so a process that keeps the content in memory knows when to
// read again.
//
// Paths are native (UTF-8, "/").
#include "SysUtils.h"

#include <functional>
#include <string>
#include <string_view>

enum class FileRead { Read, Missing, Refused };

// The whole file into `out` ("" unless Read). Refused: it exists but cannot be read (a
// folder in its place, no permission).
FileRead ReadFileContents(const std::string& path, std::string& out);

// Writes `data` as the whole content of `path` through a temporary file in the same folder,
// renamed over the file; Flushed also puts the data on disk before the rename, so a crash
// leaves the old content or the new one (LockedFile::Replace does; a log rewritten at every
// line does not pay for it). False, with errno set, when it failed (the old file stays, the
// temporary is removed). Takes no lock.
bool ReplaceFileContents(const std::string& path, std::string_view data, FileSync sync);

class LockedFile {
public:
    enum Mode { Shared, Exclusive };

    // Waits for the lock; the exclusive one then clears stale temporaries. Without a lock
    // file (a folder that refuses new files and has none) it goes on unlocked: the file can
    // then only be read anyway.
    LockedFile(std::string path, Mode mode, const std::string& lockPath = {});
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    const std::string& Path() const { return path_; }
    FileRead Read(std::string& out) const { return ReadFileContents(path_, out); }
    // Under the exclusive lock only: replaces the file and counts the replacement. False, with errno set, when it
    // failed.
    bool Replace(std::string_view data);
    // The replacements counted so far (0 for a new lock file).
    unsigned long long Generation() const;

private:
    std::string path_;
    Mode mode_;
    int fd_ = -1;
};

// Reads under the shared lock; "" when the file is missing or cannot be read.
std::string ReadLockedFile(const std::string& path);
// Reads under the exclusive lock (a missing file as ""), lets `change` edit the text and, when
// it returns true, replaces the file with the result before the lock goes. False, with errno
// set, when the file exists but cannot be read (`change` is not called and the file stays:
// an unreadable file is not an empty one) or the replacement failed; true when it was made
// or nothing was to change.
bool UpdateLockedFile(const std::string& path, const std::function<bool(std::string& text)>& change);
