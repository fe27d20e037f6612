#include "LockedFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kTempMark[] = ".tmp-";
constexpr std::size_t kTempRandom = 6;  // mkstemp's XXXXXX

bool writeAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += static_cast<std::size_t>(w);
    }
    return true;
}

// Under the exclusive lock every writer of the file holds the lock, so a temporary of the
// file that exists now was left by a writer that died before its rename.
void removeStaleTemporaries(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + kTempMark;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        std::string_view name = e->d_name;
        if (name.size() == prefix.size() + kTempRandom && name.starts_with(prefix))
            ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}
}  // namespace

FileRead ReadFileContents(const std::string& path, std::string& out) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Refused;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int why = errno;
            ::close(fd);
            out.clear();
            errno = why;
            return FileRead::Refused;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return FileRead::Read;
}

bool ReplaceFileContents(const std::string& path, std::string_view data, FileSync sync) {
    std::string tmp = path + kTempMark + std::string(kTempRandom, 'X');
    int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data);
    ::fchmod(fd, 0644);
    if (ok && sync == FileSync::Flushed && ::fdatasync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    struct stat st {};
    if (ok && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        errno = EISDIR;  // rename would replace an empty folder
        ok = false;
    }
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) {
        int why = errno;
        ::unlink(tmp.c_str());
        errno = why;
    }
    return ok;
}

LockedFile::LockedFile(std::string path, Mode mode, const std::string& lockPath)
    : path_(std::move(path)), mode_(mode) {
    std::string lock = lockPath.empty() ? path_ + ".lock" : lockPath;
    fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) fd_ = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    while (::flock(fd_, mode == Exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {}
    // Cleared by every writer, also one that then changes nothing.
    if (mode == Exclusive) removeStaleTemporaries(path_);
}

LockedFile::~LockedFile() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

unsigned long long LockedFile::Generation() const {
    unsigned char b[8] = {};
    if (fd_ < 0 || ::pread(fd_, b, sizeof b, 0) != static_cast<ssize_t>(sizeof b)) return 0;
    unsigned long long g = 0;
    for (int i = 7; i >= 0; --i) g = (g << 8) | b[i];
    return g;
}

bool LockedFile::Replace(std::string_view data) {
    if (mode_ != Exclusive) {
        errno = EPERM;
        return false;
    }
    if (!ReplaceFileContents(path_, data, FileSync::Flushed)) return false;
    unsigned long long g = Generation() + 1;
    unsigned char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(g >> (8 * i));
    if (fd_ >= 0 && ::pwrite(fd_, b, sizeof b, 0) != static_cast<ssize_t>(sizeof b)) {
        // A read-only lock file: the file's identity still tells the others that it changed.
    }
    return true;
}

std::string ReadLockedFile(const std::string& path) {
    LockedFile file(path, LockedFile::Shared);
    std::string text;
    file.Read(text);
    return text;
}

bool UpdateLockedFile(const std::string& path, const std::function<bool(std::string& text)>& change) {
    LockedFile file(path, LockedFile::Exclusive);
    std::string text;
    if (file.Read(text) == FileRead::Refused) return false;
    if (!change(text)) return true;
    return file.Replace(text);
}
