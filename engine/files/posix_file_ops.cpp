// SPDX-License-Identifier: GPL-3.0-or-later
// The real file system behind FileOps: thin wrappers that answer -errno.

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>

#include "engine/files/file_ops.h"

namespace quarnix {
namespace {

int Answer(int result) {
    return result < 0 ? -errno : result;
}

std::int64_t Answer64(std::int64_t result) {
    return result < 0 ? -errno : result;
}

// Retries a call interrupted by a signal (the command-line tool's Ctrl+C
// handler is installed without SA_RESTART).
template <typename Call>
auto Retrying(Call call) {
    for (;;) {
        auto result = call();
        if (!(result < 0 && errno == EINTR)) {
            return result;
        }
    }
}

}  // namespace

int PosixFileOps::Stat(const std::string& path, struct stat* info) {
    return Answer(::stat(path.c_str(), info));
}

int PosixFileOps::Lstat(const std::string& path, struct stat* info) {
    return Answer(::lstat(path.c_str(), info));
}

int PosixFileOps::Fstat(int fd, struct stat* info) {
    return Answer(::fstat(fd, info));
}

int PosixFileOps::RealPath(const std::string& path, std::string* resolved) {
    std::unique_ptr<char, decltype(&::free)> result(::realpath(path.c_str(), nullptr), &::free);
    if (!result) {
        return -errno;
    }
    *resolved = result.get();
    return 0;
}

int PosixFileOps::Open(const std::string& path, int flags, mode_t mode) {
    return Answer(Retrying([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); }));
}

int PosixFileOps::OpenUnnamed(const std::string& folder, mode_t mode) {
    return Answer(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
}

int PosixFileOps::MakeTemp(std::string* pathTemplate) {
    return Answer(::mkostemp(pathTemplate->data(), O_CLOEXEC));
}

int PosixFileOps::Close(int fd) {
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return Answer(::close(fd));
}

std::int64_t PosixFileOps::Pread(int fd, void* buffer, std::size_t size, std::int64_t offset) {
    return Answer64(Retrying([&] { return ::pread(fd, buffer, size, offset); }));
}

std::int64_t PosixFileOps::Pwrite(int fd, const void* buffer, std::size_t size,
                                  std::int64_t offset) {
    // The kernel may cache a file in blocks as large as one write, and on a
    // virtual machine such large blocks are often memory the host has taken
    // back, slow to touch again: a write of 4 MiB costs ten times the system
    // time of the same bytes in pieces of 64 KiB (bench/trace.sh).
    constexpr std::size_t Piece = 64 * 1024;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t piece = std::min(Piece, size - done);
        const ssize_t written = Retrying(
            [&] { return ::pwrite(fd, bytes + done, piece, offset + static_cast<off_t>(done)); });
        if (written < 0) {
            return done > 0 ? static_cast<std::int64_t>(done) : -errno;
        }
        done += static_cast<std::size_t>(written);
        if (static_cast<std::size_t>(written) < piece) {
            break;  // a short write: the caller asks again for the rest
        }
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t PosixFileOps::CopyRange(int from, std::int64_t* fromOffset, int to,
                                     std::int64_t* toOffset, std::size_t size) {
    return Answer64(Retrying([&] {
        off64_t in = *fromOffset;
        off64_t out = *toOffset;
        const ssize_t copied = ::copy_file_range(from, &in, to, &out, size, 0);
        *fromOffset = in;
        *toOffset = out;
        return copied;
    }));
}

int PosixFileOps::Truncate(int fd, std::int64_t size) {
    return Answer(Retrying([&] { return ::ftruncate(fd, size); }));
}

int PosixFileOps::Fsync(int fd) {
    return Answer(Retrying([&] { return ::fsync(fd); }));
}

int PosixFileOps::Fdatasync(int fd) {
    return Answer(Retrying([&] { return ::fdatasync(fd); }));
}

int PosixFileOps::Fchmod(int fd, mode_t mode) {
    return Answer(::fchmod(fd, mode));
}

int PosixFileOps::Fchown(int fd, uid_t owner, gid_t group) {
    return Answer(::fchown(fd, owner, group));
}

int PosixFileOps::StartWriteback(int fd, std::int64_t offset, std::int64_t size) {
    return Answer(::sync_file_range(fd, offset, size, SYNC_FILE_RANGE_WRITE));
}

int PosixFileOps::DropWritten(int fd, std::int64_t offset, std::int64_t size) {
    constexpr unsigned Written =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(fd, offset, size, Written) < 0) {
        return -errno;
    }
    return -::posix_fadvise(fd, offset, size, POSIX_FADV_DONTNEED);
}

std::int64_t PosixFileOps::Seek(int fd, std::int64_t offset, int whence) {
    return Answer64(::lseek(fd, offset, whence));
}

int PosixFileOps::Lock(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;  // l_start and l_len 0: the whole file, however long
    return Answer(Retrying([&] { return ::fcntl(fd, F_OFD_SETLK, &lock); }));
}

int PosixFileOps::Lease(int fd, int type) {
    if (::fcntl(fd, F_SETLEASE, type) < 0) {
        return -errno;
    }
    // Taking the lease made this process the one signalled (SIGIO, which
    // would end it) when another opens the file: signal nobody. The other
    // then waits for the lease's release, at most lease-break-time.
    if (type != F_UNLCK) {
        ::fcntl(fd, F_SETOWN, 0);
    }
    return 0;
}

int PosixFileOps::LeaseHeld(int fd) {
    return Answer(::fcntl(fd, F_GETLEASE));
}

int PosixFileOps::GetFlags(int fd, unsigned* flags) {
    int value = 0;  // the kernel reads and writes an int, whatever the ioctl's name says
    if (::ioctl(fd, FS_IOC_GETFLAGS, &value) < 0) {
        return -errno;
    }
    *flags = static_cast<unsigned>(value);
    return 0;
}

int PosixFileOps::SetFlags(int fd, unsigned flags) {
    int value = static_cast<int>(flags);
    return Answer(::ioctl(fd, FS_IOC_SETFLAGS, &value));
}

int PosixFileOps::CopyAccessControl(int from, const std::string& fromPath, int to,
                                    const std::string& toPath) {
    errno = 0;
    if (::perm_copy_fd(fromPath.c_str(), from, toPath.c_str(), to, nullptr) == 0) {
        return 0;
    }
    return errno != 0 ? -errno : -EPERM;
}

int PosixFileOps::CopyAttributes(int from, const std::string& fromPath, int to,
                                 const std::string& toPath) {
    // The default check leaves out the access control lists (CopyAccessControl
    // carries them) and what /etc/xattr.conf marks as not to be copied.
    errno = 0;
    if (::attr_copy_fd(fromPath.c_str(), from, toPath.c_str(), to, nullptr, nullptr) == 0) {
        return 0;
    }
    return errno != 0 ? -errno : -EPERM;
}

int PosixFileOps::Access(const std::string& path, int mode) {
    return Answer(::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS));
}

long PosixFileOps::NameMax(const std::string& folder) {
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? max : NAME_MAX;
}

int PosixFileOps::LinkOpenFile(int fd, const std::string& path) {
    // Through /proc needs no privilege; AT_EMPTY_PATH needs CAP_DAC_READ_SEARCH.
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    if (errno != ENOENT) {
        return -errno;
    }
    return Answer(::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH));
}

int PosixFileOps::Link(const std::string& from, const std::string& to) {
    return Answer(::link(from.c_str(), to.c_str()));
}

int PosixFileOps::Rename(const std::string& from, const std::string& to) {
    return Answer(::rename(from.c_str(), to.c_str()));
}

int PosixFileOps::RenameNoReplace(const std::string& from, const std::string& to) {
    return Answer(::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
}

int PosixFileOps::RenameExchange(const std::string& a, const std::string& b) {
    return Answer(::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE));
}

int PosixFileOps::Unlink(const std::string& path) {
    return Answer(::unlink(path.c_str()));
}

FileOps& SystemFileOps() {
    static PosixFileOps files;
    return files;
}

int PosixFileOps::ListFolder(const std::string& folder, std::vector<std::string>* names) {
    struct CloseFolder {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    std::unique_ptr<DIR, CloseFolder> dir(::opendir(folder.c_str()));
    if (!dir) {
        return -errno;
    }
    names->clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    }
    return errno != 0 ? -errno : 0;
}

}  // namespace quarnix
