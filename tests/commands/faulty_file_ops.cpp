#include "faulty_file_ops.h"

namespace quarnix::test {

const char* StepName(Step step) {
    static constexpr const char* Names[] = {
        "Stat",         "Lstat",    "Fstat",     "RealPath",        "Open",
        "OpenUnnamed",  "MakeTemp", "Close",     "Pread",           "Pwrite",
        "CopyRange",    "Fsync",    "Fdatasync", "Fchmod",          "Fchown",
        "LinkOpenFile", "Link",     "Rename",    "RenameNoReplace", "Unlink"};
    return Names[static_cast<int>(step)];
}

FaultyFileOps::FaultyFileOps() : ForwardingFileOps(SystemFileOps()) {}

void FaultyFileOps::FailAt(Step step, int index, int error, bool torn) {
    failStep_ = step;
    failIndex_ = index;
    failError_ = error;
    torn_ = torn;
}

int FaultyFileOps::Position(Step step, int index) const {
    int seen = 0;
    for (std::size_t at = 0; at < order_.size(); ++at) {
        if (order_[at] == step && seen++ == index) {
            return static_cast<int>(at);
        }
    }
    return -1;
}

int FaultyFileOps::Enter(Step step) {
    const int s = static_cast<int>(step);
    const int call = calls_[s]++;
    order_.push_back(step);
    if (lacking_[s] != 0) {
        return -lacking_[s];
    }
    if (step == failStep_ && call == failIndex_) {
        fired_ = true;
        return -failError_;
    }
    return 0;
}

#define QUARNIX_FAULT(step)                             \
    if (const int fault = Enter(Step::step); fault < 0) \
    return fault

int FaultyFileOps::Stat(const std::string& p, struct stat* i) {
    QUARNIX_FAULT(Stat);
    return inner().Stat(p, i);
}
int FaultyFileOps::Lstat(const std::string& p, struct stat* i) {
    QUARNIX_FAULT(Lstat);
    return inner().Lstat(p, i);
}
int FaultyFileOps::Fstat(int fd, struct stat* i) {
    QUARNIX_FAULT(Fstat);
    return inner().Fstat(fd, i);
}
int FaultyFileOps::RealPath(const std::string& p, std::string* r) {
    QUARNIX_FAULT(RealPath);
    return inner().RealPath(p, r);
}
int FaultyFileOps::Open(const std::string& p, int flags, mode_t mode) {
    QUARNIX_FAULT(Open);
    const int fd = inner().Open(p, flags, mode);
    if (fd >= 0 && !watched_.empty() && p == watched_) {
        watchedFd_ = fd;
    }
    return fd;
}
int FaultyFileOps::OpenUnnamed(const std::string& folder, mode_t mode) {
    QUARNIX_FAULT(OpenUnnamed);
    return inner().OpenUnnamed(folder, mode);
}
int FaultyFileOps::MakeTemp(std::string* t) {
    QUARNIX_FAULT(MakeTemp);
    return inner().MakeTemp(t);
}
int FaultyFileOps::Close(int fd) {
    const int closed = inner().Close(fd);  // the descriptor is gone either way
    if (fd == watchedFd_) {
        watchedFd_ = -1;
    }
    QUARNIX_FAULT(Close);
    return closed;
}
std::int64_t FaultyFileOps::Pread(int fd, void* b, std::size_t n, std::int64_t at) {
    QUARNIX_FAULT(Pread);
    return inner().Pread(fd, b, n, at);
}
std::int64_t FaultyFileOps::Pwrite(int fd, const void* b, std::size_t n, std::int64_t at) {
    const int fault = Enter(Step::Pwrite);
    if (fd == watchedFd_ && firstWatchedWrite_ < 0) {
        firstWatchedWrite_ = static_cast<int>(order_.size()) - 1;
    }
    if (fault < 0) {
        if (torn_ && !lacking_[static_cast<int>(Step::Pwrite)]) {
            inner().Pwrite(fd, b, n / 2, at);
        }
        return fault;
    }
    return inner().Pwrite(fd, b, n, at);
}
std::int64_t FaultyFileOps::CopyRange(int from, std::int64_t* fo, int to, std::int64_t* too,
                                      std::size_t n) {
    QUARNIX_FAULT(CopyRange);
    return inner().CopyRange(from, fo, to, too, n);
}
int FaultyFileOps::Fsync(int fd) {
    QUARNIX_FAULT(Fsync);
    return inner().Fsync(fd);
}
int FaultyFileOps::Fdatasync(int fd) {
    QUARNIX_FAULT(Fdatasync);
    return inner().Fdatasync(fd);
}
int FaultyFileOps::Fchmod(int fd, mode_t mode) {
    QUARNIX_FAULT(Fchmod);
    return inner().Fchmod(fd, mode);
}
int FaultyFileOps::Fchown(int fd, uid_t u, gid_t g) {
    QUARNIX_FAULT(Fchown);
    return inner().Fchown(fd, u, g);
}
int FaultyFileOps::LinkOpenFile(int fd, const std::string& p) {
    QUARNIX_FAULT(LinkOpenFile);
    return inner().LinkOpenFile(fd, p);
}
int FaultyFileOps::Link(const std::string& f, const std::string& t) {
    QUARNIX_FAULT(Link);
    return inner().Link(f, t);
}
int FaultyFileOps::Rename(const std::string& f, const std::string& t) {
    QUARNIX_FAULT(Rename);
    return inner().Rename(f, t);
}
int FaultyFileOps::RenameNoReplace(const std::string& f, const std::string& t) {
    QUARNIX_FAULT(RenameNoReplace);
    return inner().RenameNoReplace(f, t);
}
int FaultyFileOps::Unlink(const std::string& p) {
    QUARNIX_FAULT(Unlink);
    return inner().Unlink(p);
}

#undef QUARNIX_FAULT

}  // namespace quarnix::test
