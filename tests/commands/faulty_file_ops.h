// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real file system with one chosen call made to fail, call counts, and
// a record of every call in order: what it worked on and what it answered.

#include <array>
#include <cerrno>
#include <string>
#include <vector>

#include "engine/files/forwarding_file_ops.h"

namespace quarnix::test {

// One call as it was made: the descriptors and paths it named (-1 and empty
// where it named none) and its answer.
struct Call {
    FileOp op = FileOp::Stat;
    int fd = -1;        // the descriptor worked on; for CopyRange and the copies, the target
    std::string path;   // the path worked on; for renames, links and the copies, the source
    std::string other;  // for renames, links and the copies, the target
    int flags = 0;      // for Open, its flags
    std::int64_t result = 0;
    mode_t mode = 0;  // for Pwrite and CopyRange, the target's permission bits before it
};

class FaultyFileOps : public ForwardingFileOps {
  public:
    FaultyFileOps();

    // The call number `index` (from 0) of `op` fails with `error`; a failing
    // Pwrite first writes the whole pages of its first half when `torn` is set.
    void FailAt(FileOp op, int index, int error = EIO, bool torn = false);
    // Every call of `op` fails with `error`, as on a file system without it.
    void Lacks(FileOp op, int error) { lacking_[static_cast<int>(op)] = error; }

    int Calls(FileOp op) const { return calls_[static_cast<int>(op)]; }
    bool Fired() const { return fired_; }
    const std::vector<Call>& Trace() const { return trace_; }

    std::int64_t Pwrite(int fd, const void* buffer, std::size_t size, std::int64_t offset) override;

  protected:
    std::int64_t Intercept(const FileCall& call, const Forward& forward) override;

  private:
    // Counts and records the call; answers -errno when it is to fail, else 0.
    int Enter(const FileCall& call);

    std::array<int, FileOpCount> calls_{};
    std::array<int, FileOpCount> lacking_{};
    FileOp failOp_ = FileOp::Stat;
    int failIndex_ = -1;
    int failError_ = EIO;
    bool torn_ = false;
    bool fired_ = false;
    bool tearing_ = false;  // the write failing now is to leave part of itself
    std::vector<Call> trace_;
};

}  // namespace quarnix::test
