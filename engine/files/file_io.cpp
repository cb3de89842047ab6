// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_io.h"

#include <fcntl.h>

#include <cerrno>

namespace quarnix {

int ReadFully(FileOps& files, int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t n =
            files.Pread(fd, buffer + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            return static_cast<int>(n);
        }
        if (n == 0) {
            return 1;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int WriteFully(FileOps& files, int fd, const std::uint8_t* buffer, std::size_t size,
               std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t n =
            files.Pwrite(fd, buffer + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0) {
            return static_cast<int>(n);
        }
        if (n == 0) {
            return -EIO;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::size_t LongestName(FileOps& files, const std::string& folder) {
    const long longest = files.NameMax(folder);
    return longest > 0 ? static_cast<std::size_t>(longest) : 255;
}

int FlushFolder(FileOps& files, const std::string& folder) {
    const int fd = files.Open(folder, O_RDONLY | O_DIRECTORY, 0);
    if (fd < 0) {
        return fd;
    }
    const int flushed = files.Fsync(fd);
    files.Close(fd);
    return flushed;
}

void WriteBehind::Written(std::int64_t offset, std::int64_t size) {
    files_.StartWriteback(fd_, offset, size);
    if (!drop_) {
        return;
    }
    behind_.emplace_back(offset, size);
    if (behind_.size() > 2) {
        files_.DropWritten(fd_, behind_.front().first, behind_.front().second);
        behind_.pop_front();
    }
}

int OwnedFd::Close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = files_.Close(fd_);
    fd_ = -1;
    return result;
}

PhaseProgress::PhaseProgress(const CommandHooks& hooks, WorkPhase phase, std::uint64_t total)
    : hooks_(hooks), phase_(phase), total_(total) {
    Report(0);
}

void PhaseProgress::Flushing() const {
    if (hooks_.Progress) {
        hooks_.Progress(WorkPhase::Flush, 0, 0);
    }
}

void PhaseProgress::Committing() const {
    if (hooks_.Committing) {
        hooks_.Committing();
    }
}

void PhaseProgress::Report(std::uint64_t done) const {
    if (hooks_.Progress) {
        hooks_.Progress(phase_, done, total_);
    }
}

}  // namespace quarnix
