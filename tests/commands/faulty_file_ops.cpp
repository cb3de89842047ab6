// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_file_ops.h"

#include <sys/stat.h>

namespace quarnix::test {

const char* StepName(Step step) {
    static constexpr const char* Names[] = {"Stat",           "Lstat",     "Fstat",
                                            "RealPath",       "Open",      "OpenUnnamed",
                                            "MakeTemp",       "Close",     "Pread",
                                            "Pwrite",         "CopyRange", "Truncate",
                                            "Fsync",          "Fdatasync", "Fchmod",
                                            "Fchown",         "Seek",      "Lock",
                                            "GetFlags",       "SetFlags",  "CopyAccessControl",
                                            "CopyAttributes", "Access",    "LinkOpenFile",
                                            "Link",           "Rename",    "RenameNoReplace",
                                            "Unlink"};
    static_assert(std::size(Names) == static_cast<std::size_t>(Step::Count));
    return Names[static_cast<int>(step)];
}

FaultyFileOps::FaultyFileOps() : ForwardingFileOps(SystemFileOps()) {}

void FaultyFileOps::FailAt(Step step, int index, int error, bool torn) {
    failStep_ = step;
    failIndex_ = index;
    failError_ = error;
    torn_ = torn;
}

int FaultyFileOps::Enter(Step step, int fd, std::string path, std::string other) {
    const int s = static_cast<int>(step);
    const int call = calls_[s]++;
    trace_.push_back(Call{step, fd, std::move(path), std::move(other), 0, 0, 0});
    struct stat info {};
    if ((step == Step::Pwrite || step == Step::CopyRange) && ::fstat(fd, &info) == 0) {
        trace_.back().mode = info.st_mode & 07777;
    }
    int fault = 0;
    if (lacking_[s] != 0) {
        fault = -lacking_[s];
    } else if (step == failStep_ && call == failIndex_) {
        fired_ = true;
        fault = -failError_;
    }
    trace_.back().result = fault;
    return fault;
}

#define QUARNIX_FAULT(step, ...)                                     \
    if (const int fault = Enter(Step::step, __VA_ARGS__); fault < 0) \
    return fault

int FaultyFileOps::Stat(const std::string& p, struct stat* i) {
    QUARNIX_FAULT(Stat, -1, p);
    return Answer(inner().Stat(p, i));
}
int FaultyFileOps::Lstat(const std::string& p, struct stat* i) {
    QUARNIX_FAULT(Lstat, -1, p);
    return Answer(inner().Lstat(p, i));
}
int FaultyFileOps::Fstat(int fd, struct stat* i) {
    QUARNIX_FAULT(Fstat, fd);
    return Answer(inner().Fstat(fd, i));
}
int FaultyFileOps::RealPath(const std::string& p, std::string* r) {
    QUARNIX_FAULT(RealPath, -1, p);
    return Answer(inner().RealPath(p, r));
}
int FaultyFileOps::Open(const std::string& p, int flags, mode_t mode) {
    QUARNIX_FAULT(Open, -1, p);
    trace_.back().flags = flags;
    return Answer(inner().Open(p, flags, mode));
}
int FaultyFileOps::OpenUnnamed(const std::string& folder, mode_t mode) {
    QUARNIX_FAULT(OpenUnnamed, -1, folder);
    return Answer(inner().OpenUnnamed(folder, mode));
}
int FaultyFileOps::MakeTemp(std::string* t) {
    QUARNIX_FAULT(MakeTemp, -1, *t);
    const int fd = inner().MakeTemp(t);
    trace_.back().path = *t;
    return Answer(fd);
}
int FaultyFileOps::Close(int fd) {
    const int closed = inner().Close(fd);  // the descriptor is gone either way
    QUARNIX_FAULT(Close, fd);
    return Answer(closed);
}
std::int64_t FaultyFileOps::Pread(int fd, void* b, std::size_t n, std::int64_t at) {
    QUARNIX_FAULT(Pread, fd);
    return Answer(inner().Pread(fd, b, n, at));
}
std::int64_t FaultyFileOps::Pwrite(int fd, const void* b, std::size_t n, std::int64_t at) {
    const int fault = Enter(Step::Pwrite, fd);
    if (fault < 0) {
        // The page cache takes a write page by page: a write cut short
        // leaves whole pages written.
        if (torn_ && !lacking_[static_cast<int>(Step::Pwrite)]) {
            inner().Pwrite(fd, b, n / 2 / 4096 * 4096, at);
        }
        return fault;
    }
    return Answer(inner().Pwrite(fd, b, n, at));
}
std::int64_t FaultyFileOps::CopyRange(int from, std::int64_t* fo, int to, std::int64_t* too,
                                      std::size_t n) {
    QUARNIX_FAULT(CopyRange, to);
    return Answer(inner().CopyRange(from, fo, to, too, n));
}
int FaultyFileOps::Truncate(int fd, std::int64_t size) {
    QUARNIX_FAULT(Truncate, fd);
    return Answer(inner().Truncate(fd, size));
}
int FaultyFileOps::Fsync(int fd) {
    QUARNIX_FAULT(Fsync, fd);
    return Answer(inner().Fsync(fd));
}
int FaultyFileOps::Fdatasync(int fd) {
    QUARNIX_FAULT(Fdatasync, fd);
    return Answer(inner().Fdatasync(fd));
}
int FaultyFileOps::Fchmod(int fd, mode_t mode) {
    QUARNIX_FAULT(Fchmod, fd);
    return Answer(inner().Fchmod(fd, mode));
}
int FaultyFileOps::Fchown(int fd, uid_t u, gid_t g) {
    QUARNIX_FAULT(Fchown, fd);
    return Answer(inner().Fchown(fd, u, g));
}
std::int64_t FaultyFileOps::Seek(int fd, std::int64_t offset, int whence) {
    QUARNIX_FAULT(Seek, fd);
    return Answer(inner().Seek(fd, offset, whence));
}
int FaultyFileOps::Lock(int fd) {
    QUARNIX_FAULT(Lock, fd);
    return Answer(inner().Lock(fd));
}
int FaultyFileOps::GetFlags(int fd, unsigned* flags) {
    QUARNIX_FAULT(GetFlags, fd);
    return Answer(inner().GetFlags(fd, flags));
}
int FaultyFileOps::SetFlags(int fd, unsigned flags) {
    QUARNIX_FAULT(SetFlags, fd);
    return Answer(inner().SetFlags(fd, flags));
}
int FaultyFileOps::CopyAccessControl(int from, const std::string& fp, int to,
                                     const std::string& tp) {
    QUARNIX_FAULT(CopyAccessControl, to);
    return Answer(inner().CopyAccessControl(from, fp, to, tp));
}
int FaultyFileOps::CopyAttributes(int from, const std::string& fp, int to, const std::string& tp) {
    QUARNIX_FAULT(CopyAttributes, to);
    return Answer(inner().CopyAttributes(from, fp, to, tp));
}
int FaultyFileOps::Access(const std::string& p, int mode) {
    QUARNIX_FAULT(Access, -1, p);
    return Answer(inner().Access(p, mode));
}
int FaultyFileOps::LinkOpenFile(int fd, const std::string& p) {
    QUARNIX_FAULT(LinkOpenFile, fd, p);
    return Answer(inner().LinkOpenFile(fd, p));
}
int FaultyFileOps::Link(const std::string& f, const std::string& t) {
    QUARNIX_FAULT(Link, -1, f, t);
    return Answer(inner().Link(f, t));
}
int FaultyFileOps::Rename(const std::string& f, const std::string& t) {
    QUARNIX_FAULT(Rename, -1, f, t);
    return Answer(inner().Rename(f, t));
}
int FaultyFileOps::RenameNoReplace(const std::string& f, const std::string& t) {
    QUARNIX_FAULT(RenameNoReplace, -1, f, t);
    return Answer(inner().RenameNoReplace(f, t));
}
int FaultyFileOps::Unlink(const std::string& p) {
    QUARNIX_FAULT(Unlink, -1, p);
    return Answer(inner().Unlink(p));
}

#undef QUARNIX_FAULT

}  // namespace quarnix::test
