// The real file system behind FileOps: thin wrappers that answer -errno.

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>

#include "file_ops.h"

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
    return Answer64(Retrying([&] { return ::pwrite(fd, buffer, size, offset); }));
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

int PosixFileOps::Unlink(const std::string& path) {
    return Answer(::unlink(path.c_str()));
}

FileOps& SystemFileOps() {
    static PosixFileOps files;
    return files;
}

}  // namespace quarnix
