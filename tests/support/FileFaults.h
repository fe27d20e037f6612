#pragma once
// Faults of the file system that a test provokes without privileges, on the real kernel.
#include <string>
#include <sys/types.h>

// `path` unreadable for the calling thread while the object lives: mode 000 and, when the
// test runs as root, the thread's right to pass over file modes set aside (capabilities
// are per thread, so other threads keep theirs). The mode is given back at the end.
class UnreadableFile {
public:
    explicit UnreadableFile(std::string path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

private:
    std::string path_;
    mode_t mode_ = 0;
    unsigned dropped_ = 0;
};

// A full disk as a writer meets it: while the object lives no file of this process grows
// past `bytes`; the write that would passes what fits and the next one fails (EFBIG, the
// signal it raises ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(off_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long soft_ = 0;
    void (*oldHandler_)(int) = nullptr;
};
