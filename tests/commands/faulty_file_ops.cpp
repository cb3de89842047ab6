// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_file_ops.h"

#include <sys/stat.h>

#include <utility>

namespace quarnix::test {

FaultyFileOps::FaultyFileOps() : ForwardingFileOps(SystemFileOps()) {}

void FaultyFileOps::FailAt(FileOp op, int index, int error, bool torn) {
    failOp_ = op;
    failIndex_ = index;
    failError_ = error;
    torn_ = torn;
}

int FaultyFileOps::Enter(const FileCall& call) {
    const int op = static_cast<int>(call.op);
    const int index = calls_[op]++;
    Call& made = trace_.emplace_back(
        Call{call.op, call.fd, std::string(call.path), std::string(call.toPath), call.flags, 0, 0});
    struct stat info {};
    if ((call.op == FileOp::Pwrite || call.op == FileOp::CopyRange) &&
        ::fstat(call.fd, &info) == 0) {
        made.mode = info.st_mode & 07777;
    }
    if (lacking_[op] != 0) {
        return -lacking_[op];
    }
    if (call.op == failOp_ && index == failIndex_) {
        fired_ = true;
        tearing_ = torn_ && call.op == FileOp::Pwrite;
        return -failError_;
    }
    return 0;
}

std::int64_t FaultyFileOps::Intercept(const FileCall& call, const Forward& forward) {
    // A descriptor is gone after its close, whatever the close answers.
    const std::int64_t closed = call.op == FileOp::Close ? forward() : 0;
    const int fault = Enter(call);
    const std::size_t at = trace_.size() - 1;
    if (fault < 0) {
        return trace_[at].result = fault;
    }
    trace_[at].result = call.op == FileOp::Close ? closed : forward();
    trace_[at].path = call.path;  // for MakeTemp, the name it made
    return trace_[at].result;
}

std::int64_t FaultyFileOps::Pwrite(int fd, const void* buffer, std::size_t size,
                                   std::int64_t offset) {
    const std::int64_t written = ForwardingFileOps::Pwrite(fd, buffer, size, offset);
    if (std::exchange(tearing_, false)) {
        // The page cache takes a write page by page: a write cut short
        // leaves whole pages written.
        inner().Pwrite(fd, buffer, size / 2 / 4096 * 4096, offset);
    }
    return written;
}

}  // namespace quarnix::test
