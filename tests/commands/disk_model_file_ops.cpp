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

std::int64_t DiskModelFileOps::Intercept(const FileCall& call, const Forward& forward) {
    switch (call.op) {
        case FileOp::Close:
        case FileOp::StartWriteback:
        case FileOp::DropWritten:
            return forward();
        default:
            break;
    }
    if (const int made = calls_++; crashAt_ >= 0 && made >= crashAt_) {
        return Dead;
    }
    switch (call.op) {
        case FileOp::OpenUnnamed:
            return unnamedTemp_ ? forward() : -EOPNOTSUPP;
        case FileOp::Pwrite:
        case FileOp::CopyRange:
            BeforeWrite(call.fd, call.offset, call.size);
            return forward();
        case FileOp::Truncate:
            BeforeWrite(call.fd, call.size, PageSize);
            return forward();
        case FileOp::Fsync:
        case FileOp::Fdatasync: {
            const std::int64_t flushed = forward();
            if (flushed == 0) {
                Flushed(call.fd);
            }
            return flushed;
        }
        default:
            return forward();
    }
}

}  // namespace quarnix::test
