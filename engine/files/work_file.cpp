// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/work_file.h"

#include <fcntl.h>
#include <linux/fs.h>

#include <cerrno>

namespace quarnix {
namespace {

constexpr unsigned UnchangeableFlags = FS_IMMUTABLE_FL | FS_APPEND_FL;

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool SameState(const struct stat& a, const struct stat& b) {
    return SameFile(a, b) && a.st_size == b.st_size && SameTime(a.st_mtim, b.st_mtim) &&
           SameTime(a.st_ctim, b.st_ctim);
}

// The kernel refuses to open such a file for writing with EPERM: tell why.
bool MarkedUnchangeable(FileOps& files, const std::string& path) {
    OwnedFd fd(files, files.Open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0));
    unsigned flags = 0;
    return fd.get() >= 0 && files.GetFlags(fd.get(), &flags) == 0 &&
           (flags & UnchangeableFlags) != 0;
}

}  // namespace

int LockForWork(FileOps& files, int fd) {
    const int locked = files.Lock(fd);
    // No locks on this file system (some network and FUSE file systems).
    if (locked == -ENOLCK || locked == -EOPNOTSUPP || locked == -ENOSYS || locked == -EINVAL) {
        return 0;
    }
    return locked;
}

WorkResult WorkFile::Open() {
    // Opening for writing up front refuses a read-only file before anything
    // happens. Without waiting: a file another run holds under a lease
    // answers at once.
    const int fd = files_.Open(openPath_, O_RDWR | O_NOCTTY | O_NONBLOCK, 0);
    if (fd == -EWOULDBLOCK) {
        return Failure(FailureKind::FileBusy, FailedStep::FileBusy, 0, {});
    }
    if (fd < 0) {
        if (fd == -EPERM && MarkedUnchangeable(files_, openPath_)) {
            return Failure(FailureKind::FileUnchangeable, FailedStep::Unchangeable, 0, {});
        }
        return Failure(FailureKind::ReadFailed, FailedStep::OpenFile, fd, {});
    }
    fd_.Reset(fd);
    if (const int locked = LockForWork(files_, fd); locked < 0) {
        const bool busy = locked == -EAGAIN || locked == -EACCES;
        return Failure(busy ? FailureKind::FileBusy : FailureKind::ReadFailed, FailedStep::FileBusy,
                       busy ? 0 : locked, {});
    }
    // A program that keeps the file open could write to it at any time, and
    // its writes would be lost with the old file or mixed into the new one:
    // refused. Where no lease can be taken (another's file without
    // CAP_LEASE, a file system without leases) the checks of CheckUnchanged
    // are all there is.
    const int leased = files_.Lease(fd, F_WRLCK);
    if (leased == -EAGAIN) {
        return Failure(FailureKind::FileOpenElsewhere, FailedStep::LeaseRefused, 0, {});
    }
    leased_ = leased == 0;
    if (const int found = files_.Fstat(fd, &found_); found < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, found, {});
    }
    if (!S_ISREG(found_.st_mode)) {
        // Swapped for something else since the existence test.
        return ChangedByAnotherProgram();
    }
    if (files_.GetFlags(fd, &flags_) < 0) {
        flags_ = 0;
    }
    if ((flags_ & UnchangeableFlags) != 0) {
        return Failure(FailureKind::FileUnchangeable, FailedStep::Unchangeable, 0, {});
    }
    return std::nullopt;
}

namespace {

// Describes the open file and the file at the path; a path that names nothing
// any more was moved away or removed by another program.
WorkResult Look(FileOps& files, int fd, const std::string& path, struct stat* now,
                struct stat* named) {
    if (const int found = files.Fstat(fd, now); found < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, found, {});
    }
    const int found = files.Stat(path, named);
    if (found == -ENOENT || found == -ENOTDIR) {
        return ChangedByAnotherProgram();
    }
    if (found < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, found, {});
    }
    return std::nullopt;
}

}  // namespace

WorkResult WorkFile::CheckUnchanged() const {
    struct stat now {};
    struct stat named {};
    if (auto failed = Look(files_, fd_.get(), path_, &now, &named)) {
        return failed;
    }
    if (!SameState(now, found_) || !SameState(named, found_)) {
        return ChangedByAnotherProgram();
    }
    return LeaseStillHeld();
}

WorkResult WorkFile::CheckOpenFileUnchanged() const {
    struct stat now {};
    if (const int found = files_.Fstat(fd_.get(), &now); found < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, found, {});
    }
    // Its change time moved with its own renaming; a write moves the
    // modification time.
    if (now.st_size != found_.st_size || !SameTime(now.st_mtim, found_.st_mtim)) {
        return ChangedByAnotherProgram();
    }
    return LeaseStillHeld();
}

WorkResult WorkFile::LeaseStillHeld() const {
    // Another program waited for the lease to open the file, and has it open
    // now: it may write at any moment, also after this work has replaced the
    // file. Refused, the file untouched.
    if (!leased_) {
        return std::nullopt;
    }
    const int held = files_.LeaseHeld(fd_.get());
    if (held < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, held, {});
    }
    if (held != F_WRLCK) {
        return Failure(FailureKind::FileOpenElsewhere, FailedStep::LeaseRefused, 0, {});
    }
    return std::nullopt;
}

WorkResult WorkFile::CheckStillAtPath() const {
    struct stat now {};
    struct stat named {};
    if (auto failed = Look(files_, fd_.get(), path_, &now, &named)) {
        return failed;
    }
    if (!SameFile(named, found_)) {
        return ChangedByAnotherProgram();
    }
    return std::nullopt;
}

int WorkFile::Adopt(int fd) {
    fd_.Reset(fd);
    leased_ = false;
    return files_.Fstat(fd, &found_);
}

}  // namespace quarnix
