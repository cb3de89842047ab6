// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers over FileOps: whole reads and writes, an owned descriptor,
// the folder of a path, and the progress and cancel hooks of one phase.

#include <sys/stat.h>

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "engine/files/file_ops.h"
#include "engine/work_hooks.h"

namespace quarnix {

// Reads exactly `size` bytes at `offset`. Answers 0, -errno, or 1 when the
// file ended first (it was shortened meanwhile).
int ReadFully(FileOps& files, int fd, std::uint8_t* buffer, std::size_t size, std::int64_t offset);

// Writes exactly `size` bytes at `offset`. Answers 0 or -errno.
int WriteFully(FileOps& files, int fd, const std::uint8_t* buffer, std::size_t size,
               std::int64_t offset);

// True when both descriptions are of one inode: the same file, or folder.
inline bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder that holds `path` ("." for a bare name).
std::string FolderOf(const std::string& path);
// The last part of `path`: the name it has in its folder.
std::string NameOf(const std::string& path);

// The longest name, in bytes, that `folder` takes; where the file system
// cannot say, the usual limit of 255 bytes.
std::size_t LongestName(FileOps& files, const std::string& folder);

// Flushes a folder, so that a rename in it survives a crash. Answers 0 or -errno.
int FlushFolder(FileOps& files, const std::string& folder);

// A descriptor closed at the end of its scope.
class OwnedFd {
  public:
    OwnedFd(FileOps& files, int fd) : files_(files), fd_(fd) {}
    ~OwnedFd() { Close(); }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;

    int get() const { return fd_; }
    // Answers 0 or -errno; closing twice does nothing.
    int Close();
    // Closes the descriptor held so far and holds `fd` instead.
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    // Hands the descriptor over, no longer closing it.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    FileOps& files_;
    int fd_;
};

// Reports one phase's progress and asks whether to stop, between chunks.
class PhaseProgress {
  public:
    // Reports 0 of `total` at once.
    PhaseProgress(const CommandHooks& hooks, WorkPhase phase, std::uint64_t total);

    bool CancelRequested() const { return hooks_.CancelRequested && hooks_.CancelRequested(); }
    void Report(std::uint64_t done) const;
    // The phase's result is now being flushed to disk.
    void Flushing() const;
    // The work can no longer be dropped: it runs to its end from here on.
    void Committing() const;

  private:
    const CommandHooks& hooks_;
    WorkPhase phase_;
    std::uint64_t total_;
};

// Sends a file's chunks to disk as they are written, so that the progress
// stays honest and the final flush short. A file that is written once and not
// read again (a backup, the rewrite's new file) also leaves the page cache two
// chunks behind: the work then runs on the same few megabytes of memory instead
// of taking as much fresh memory as the file is large, which on a virtual
// machine costs more than the copy itself (bench/files.sh, bench/trace.sh).
class WriteBehind {
  public:
    WriteBehind(FileOps& files, int fd, bool drop) : files_(files), fd_(fd), drop_(drop) {}

    // `size` bytes at `offset` were just written.
    void Written(std::int64_t offset, std::int64_t size);

  private:
    FileOps& files_;
    int fd_;
    bool drop_;
    std::deque<std::pair<std::int64_t, std::int64_t>> behind_;  // offset, size
};

// Chunk size of streamed work: large enough for full disk speed, small enough
// to keep memory low and a cancel request answered quickly.
inline constexpr std::size_t WorkChunkSize = 4 * 1024 * 1024;

}  // namespace quarnix
