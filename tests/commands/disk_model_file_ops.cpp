// SPDX-License-Identifier: GPL-3.0-or-later
#include "disk_model_file_ops.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quarnix::test {
namespace {

constexpr std::int64_t PageSize = 4096;
constexpr int Dead = -EIO;

}  // namespace

DiskModelFileOps::DiskModelFileOps(int crashAt, bool unnamedTemp)
    : ForwardingFileOps(SystemFileOps()), crashAt_(crashAt), unnamedTemp_(unnamedTemp) {}

DiskModelFileOps::~DiskModelFileOps() {
    for (auto& [key, file] : files_) {
        ::close(file.fd);
    }
}

bool DiskModelFileOps::Alive() {
    const int call = calls_++;
    return crashAt_ < 0 || call < crashAt_;
}

void DiskModelFileOps::BeforeWrite(int fd, std::int64_t offset, std::int64_t size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || size <= 0) {
        return;
    }
    auto [it, fresh] = files_.try_emplace({info.st_dev, info.st_ino});
    Unflushed& file = it->second;
    if (fresh || file.fd < 0) {
        file.fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        file.flushedSize = info.st_size;
        file.pages.clear();
    }
    for (std::int64_t page = offset / PageSize; page <= (offset + size - 1) / PageSize; ++page) {
        if (file.pages.count(page) != 0) {
            continue;
        }
        std::vector<std::uint8_t> bytes(PageSize);
        const ssize_t read = ::pread(fd, bytes.data(), bytes.size(), page * PageSize);
        bytes.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
        file.pages[page] = std::move(bytes);
    }
}

void DiskModelFileOps::Flushed(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return;
    }
    if (const auto it = files_.find({info.st_dev, info.st_ino}); it != files_.end()) {
        it->second.pages.clear();
        it->second.flushedSize = info.st_size;
    }
}

void DiskModelFileOps::PowerCut(const std::function<bool(std::int64_t page)>& kept,
                                PastEnd pastEnd) {
    for (auto& [key, file] : files_) {
        struct stat info {};
        ::fstat(file.fd, &info);
        // The file's length: its flushed one, or up to its last page that
        // reached the disk beyond it.
        std::int64_t length = file.flushedSize;
        for (const auto& [page, bytes] : file.pages) {
            if (kept(page) && page * PageSize >= file.flushedSize) {
                length =
                    std::max(length, std::min<std::int64_t>(info.st_size, (page + 1) * PageSize));
            }
        }
        if (pastEnd != PastEnd::Lost) {
            length = info.st_size;  // the length reached the disk, the pages did not
        }
        for (const auto& [page, bytes] : file.pages) {
            if (kept(page)) {
                continue;
            }
            if (!bytes.empty()) {
                EXPECT_EQ(::pwrite(file.fd, bytes.data(), bytes.size(), page * PageSize),
                          static_cast<ssize_t>(bytes.size()));
            }
            // The part of the page past the flushed length.
            const std::int64_t from = page * PageSize + static_cast<std::int64_t>(bytes.size());
            const std::int64_t to = std::min(length, (page + 1) * PageSize);
            if (from < to) {
                const std::vector<std::uint8_t> filler(static_cast<std::size_t>(to - from),
                                                       pastEnd == PastEnd::Stale ? 0xA5 : 0);
                EXPECT_EQ(::pwrite(file.fd, filler.data(), filler.size(), from),
                          static_cast<ssize_t>(filler.size()));
            }
        }
        EXPECT_EQ(::ftruncate(file.fd, length), 0);
        ::fsync(file.fd);
        ::close(file.fd);
        file = {};
    }
}

// Every call: dead after the crash, else passed on.
#define QUARNIX_ALIVE_OR(result) \
    if (!Alive()) {              \
        return result;           \
    }

int DiskModelFileOps::Stat(const std::string& path, struct stat* info) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Stat(path, info);
}
int DiskModelFileOps::Lstat(const std::string& path, struct stat* info) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Lstat(path, info);
}
int DiskModelFileOps::Fstat(int fd, struct stat* info) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Fstat(fd, info);
}
int DiskModelFileOps::RealPath(const std::string& path, std::string* resolved) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::RealPath(path, resolved);
}
int DiskModelFileOps::Open(const std::string& path, int flags, mode_t mode) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Open(path, flags, mode);
}
int DiskModelFileOps::OpenUnnamed(const std::string& folder, mode_t mode) {
    QUARNIX_ALIVE_OR(Dead);
    return unnamedTemp_ ? ForwardingFileOps::OpenUnnamed(folder, mode) : -EOPNOTSUPP;
}
int DiskModelFileOps::MakeTemp(std::string* pathTemplate) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::MakeTemp(pathTemplate);
}
std::int64_t DiskModelFileOps::Pread(int fd, void* buffer, std::size_t size, std::int64_t offset) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Pread(fd, buffer, size, offset);
}
std::int64_t DiskModelFileOps::Pwrite(int fd, const void* buffer, std::size_t size,
                                      std::int64_t offset) {
    QUARNIX_ALIVE_OR(Dead);
    BeforeWrite(fd, offset, static_cast<std::int64_t>(size));
    return ForwardingFileOps::Pwrite(fd, buffer, size, offset);
}
std::int64_t DiskModelFileOps::CopyRange(int from, std::int64_t* fromOffset, int to,
                                         std::int64_t* toOffset, std::size_t size) {
    QUARNIX_ALIVE_OR(Dead);
    BeforeWrite(to, *toOffset, static_cast<std::int64_t>(size));
    return ForwardingFileOps::CopyRange(from, fromOffset, to, toOffset, size);
}
int DiskModelFileOps::Truncate(int fd, std::int64_t size) {
    QUARNIX_ALIVE_OR(Dead);
    BeforeWrite(fd, size, PageSize);
    return ForwardingFileOps::Truncate(fd, size);
}
int DiskModelFileOps::Fsync(int fd) {
    QUARNIX_ALIVE_OR(Dead);
    const int result = ForwardingFileOps::Fsync(fd);
    if (result == 0) {
        Flushed(fd);
    }
    return result;
}
int DiskModelFileOps::Fdatasync(int fd) {
    QUARNIX_ALIVE_OR(Dead);
    const int result = ForwardingFileOps::Fdatasync(fd);
    if (result == 0) {
        Flushed(fd);
    }
    return result;
}
int DiskModelFileOps::Fchmod(int fd, mode_t mode) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Fchmod(fd, mode);
}
int DiskModelFileOps::Fchown(int fd, uid_t owner, gid_t group) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Fchown(fd, owner, group);
}
std::int64_t DiskModelFileOps::Seek(int fd, std::int64_t offset, int whence) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Seek(fd, offset, whence);
}
int DiskModelFileOps::Lock(int fd) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Lock(fd);
}
int DiskModelFileOps::Lease(int fd, int type) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Lease(fd, type);
}
int DiskModelFileOps::GetFlags(int fd, unsigned* flags) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::GetFlags(fd, flags);
}
int DiskModelFileOps::SetFlags(int fd, unsigned flags) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::SetFlags(fd, flags);
}
int DiskModelFileOps::CopyAccessControl(int from, const std::string& fromPath, int to,
                                        const std::string& toPath) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::CopyAccessControl(from, fromPath, to, toPath);
}
int DiskModelFileOps::CopyAttributes(int from, const std::string& fromPath, int to,
                                     const std::string& toPath) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::CopyAttributes(from, fromPath, to, toPath);
}
int DiskModelFileOps::Access(const std::string& path, int mode) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Access(path, mode);
}
int DiskModelFileOps::LinkOpenFile(int fd, const std::string& path) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::LinkOpenFile(fd, path);
}
int DiskModelFileOps::Link(const std::string& from, const std::string& to) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Link(from, to);
}
int DiskModelFileOps::Rename(const std::string& from, const std::string& to) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Rename(from, to);
}
int DiskModelFileOps::RenameNoReplace(const std::string& from, const std::string& to) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::RenameNoReplace(from, to);
}
int DiskModelFileOps::Unlink(const std::string& path) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::Unlink(path);
}
int DiskModelFileOps::ListFolder(const std::string& folder, std::vector<std::string>* names) {
    QUARNIX_ALIVE_OR(Dead);
    return ForwardingFileOps::ListFolder(folder, names);
}

#undef QUARNIX_ALIVE_OR

}  // namespace quarnix::test
