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

enum class Step {
    Stat,
    Lstat,
    Fstat,
    RealPath,
    Open,
    OpenUnnamed,
    MakeTemp,
    Close,
    Pread,
    Pwrite,
    CopyRange,
    Truncate,
    Fsync,
    Fdatasync,
    Fchmod,
    Fchown,
    Seek,
    Lock,
    GetFlags,
    SetFlags,
    CopyAccessControl,
    CopyAttributes,
    Access,
    LinkOpenFile,
    Link,
    Rename,
    RenameNoReplace,
    Unlink,
    Count
};

// One call as it was made: the descriptors and paths it named (-1 and empty
// where it named none) and its answer.
struct Call {
    Step step = Step::Count;
    int fd = -1;        // the descriptor worked on; for CopyRange and the copies, the target
    std::string path;   // the path worked on; for renames and links, the source
    std::string other;  // for renames and links, the target
    int flags = 0;      // for Open, its flags
    std::int64_t result = 0;
    mode_t mode = 0;  // for Pwrite and CopyRange, the target's permission bits before it
};

const char* StepName(Step step);

class FaultyFileOps : public ForwardingFileOps {
  public:
    FaultyFileOps();

    // The call number `index` (from 0) of `step` fails with `error`; a failing
    // Pwrite first writes the whole pages of its first half when `torn` is set.
    void FailAt(Step step, int index, int error = EIO, bool torn = false);
    // Every call of `step` fails with `error`, as on a file system without it.
    void Lacks(Step step, int error) { lacking_[static_cast<int>(step)] = error; }

    int Calls(Step step) const { return calls_[static_cast<int>(step)]; }
    bool Fired() const { return fired_; }
    const std::vector<Call>& Trace() const { return trace_; }

    int Stat(const std::string& path, struct stat* info) override;
    int Lstat(const std::string& path, struct stat* info) override;
    int Fstat(int fd, struct stat* info) override;
    int RealPath(const std::string& path, std::string* resolved) override;
    int Open(const std::string& path, int flags, mode_t mode) override;
    int OpenUnnamed(const std::string& folder, mode_t mode) override;
    int MakeTemp(std::string* pathTemplate) override;
    int Close(int fd) override;
    std::int64_t Pread(int fd, void* buffer, std::size_t size, std::int64_t offset) override;
    std::int64_t Pwrite(int fd, const void* buffer, std::size_t size, std::int64_t offset) override;
    std::int64_t CopyRange(int from, std::int64_t* fromOffset, int to, std::int64_t* toOffset,
                           std::size_t size) override;
    int Truncate(int fd, std::int64_t size) override;
    int Fsync(int fd) override;
    int Fdatasync(int fd) override;
    int Fchmod(int fd, mode_t mode) override;
    int Fchown(int fd, uid_t owner, gid_t group) override;
    std::int64_t Seek(int fd, std::int64_t offset, int whence) override;
    int Lock(int fd) override;
    int GetFlags(int fd, unsigned* flags) override;
    int SetFlags(int fd, unsigned flags) override;
    int CopyAccessControl(int from, const std::string& fromPath, int to,
                          const std::string& toPath) override;
    int CopyAttributes(int from, const std::string& fromPath, int to,
                       const std::string& toPath) override;
    int Access(const std::string& path, int mode) override;
    int LinkOpenFile(int fd, const std::string& path) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    int Unlink(const std::string& path) override;

  private:
    // Counts and records the call; answers -errno when it is to fail, else 0.
    int Enter(Step step, int fd = -1, std::string path = {}, std::string other = {});
    // Notes the answer of the call recorded last.
    template <typename T>
    T Answer(T result) {
        trace_.back().result = result;
        return result;
    }

    static constexpr int Steps = static_cast<int>(Step::Count);
    std::array<int, Steps> calls_{};
    std::array<int, Steps> lacking_{};
    Step failStep_ = Step::Count;
    int failIndex_ = -1;
    int failError_ = EIO;
    bool torn_ = false;
    bool fired_ = false;
    std::vector<Call> trace_;
};

}  // namespace quarnix::test
