#include "FileFaults.h"

#include <csignal>
#include <linux/capability.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
constexpr unsigned kModeOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

// Sets or clears `bits` in the calling thread's effective capabilities; the bits it changed.
unsigned setEffective(unsigned bits, bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) return 0;
    unsigned change = on ? bits & data[0].permitted & ~data[0].effective : bits & data[0].effective;
    if (change == 0) return 0;
    data[0].effective = on ? data[0].effective | change : data[0].effective & ~change;
    if (::syscall(SYS_capset, &header, data) != 0) throw std::runtime_error("capset failed");
    return change;
}
}  // namespace

UnreadableFile::UnreadableFile(std::string path) : path_(std::move(path)) {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) throw std::runtime_error("no file " + path_);
    mode_ = st.st_mode & 07777;
    ::chmod(path_.c_str(), 0);
    dropped_ = setEffective(kModeOverrides, false);
}

UnreadableFile::~UnreadableFile() {
    if (dropped_) setEffective(dropped_, true);
    ::chmod(path_.c_str(), mode_);
}

FileSizeLimit::FileSizeLimit(off_t bytes) {
    rlimit r{};
    ::getrlimit(RLIMIT_FSIZE, &r);
    soft_ = r.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    r.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &r) != 0) throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit r{};
    ::getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = soft_;
    ::setrlimit(RLIMIT_FSIZE, &r);
    std::signal(SIGXFSZ, oldHandler_);
}
