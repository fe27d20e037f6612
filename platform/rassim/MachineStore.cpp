#include "MachineStore.h"

#include "platform/Machine.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class FileLock {
public:
    FileLock(const std::string& path, int how) {
        fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0)
            while (flock(fd_, how) != 0 && errno == EINTR) {
            }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

std::string readAll(const std::string& path) {
    std::string out;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

bool writeAtomically(const std::string& path, const std::string& data) {
    std::string tmp = path + ".tmp-XXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) ok = false; else done += static_cast<std::size_t>(w);
    }
    fchmod(fd, 0644);
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}
} // namespace

std::string ReadMachineStore(const std::string& name) {
    std::string path = MachineFile(name);
    FileLock lock(path, LOCK_SH);
    return readAll(path);
}

bool UpdateMachineStore(const std::string& name, const std::function<bool(std::string&)>& change) {
    std::string path = MachineFile(name);
    FileLock lock(path, LOCK_EX);
    std::string text = readAll(path);
    if (!change(text)) return true;
    return writeAtomically(path, text);
}
