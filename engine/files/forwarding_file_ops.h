// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A FileOps that passes every call on to another one, each through one
// point, Intercept, told which call it is and what it names. A test's file
// system derives from it and overrides Intercept to watch calls, hold them or
// fail them, while every call reaches the inner FileOps unless it says not.
// What Intercept cannot express (a write that writes part of its buffer, a
// call answered with made-up output) overrides that one method instead.

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/files/file_ops.h"

namespace quarnix {

// Every call of FileOps, in the order it declares them.
enum class FileOp {
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
    StartWriteback,
    DropWritten,
    Seek,
    Lock,
    Lease,
    LeaseHeld,
    GetFlags,
    SetFlags,
    CopyAccessControl,
    CopyAttributes,
    Access,
    NameMax,
    LinkOpenFile,
    Link,
    Rename,
    RenameNoReplace,
    RenameExchange,
    Unlink,
    ListFolder,
};
inline constexpr int FileOpCount = static_cast<int>(FileOp::ListFolder) + 1;

// The method's name, for messages.
const char* FileOpName(FileOp op);

// One call, as far as a double needs to tell it apart. What a call does not
// name keeps its default here.
struct FileCall {
    FileOp op = FileOp::Stat;
    int fd = -1;      // the descriptor worked on; for CopyRange and the copies, the one written
    int fromFd = -1;  // for CopyRange and the copies, the one read
    // The path worked on; for links, renames and the copies, the source. For
    // MakeTemp the template, and the name it made once the call is passed on.
    std::string_view path = {};
    std::string_view toPath = {};  // for links, renames and the copies, the target
    // Where a read, a write, a hint or a Seek begins (for CopyRange, in the
    // file written), and how many bytes it covers; for Truncate, the length.
    std::int64_t offset = 0;
    std::int64_t size = 0;
    int flags = 0;    // Open's flags
    mode_t mode = 0;  // the mode of Open, OpenUnnamed and Fchmod
};

class ForwardingFileOps : public FileOps {
  public:
    explicit ForwardingFileOps(FileOps& inner) : inner_(inner) {}

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
    int StartWriteback(int fd, std::int64_t offset, std::int64_t size) override;
    int DropWritten(int fd, std::int64_t offset, std::int64_t size) override;
    std::int64_t Seek(int fd, std::int64_t offset, int whence) override;
    int Lock(int fd) override;
    int Lease(int fd, int type) override;
    int LeaseHeld(int fd) override;
    int GetFlags(int fd, unsigned* flags) override;
    int SetFlags(int fd, unsigned flags) override;
    int CopyAccessControl(int from, const std::string& fromPath, int to,
                          const std::string& toPath) override;
    int CopyAttributes(int from, const std::string& fromPath, int to,
                       const std::string& toPath) override;
    int Access(const std::string& path, int mode) override;
    long NameMax(const std::string& folder) override;
    int LinkOpenFile(int fd, const std::string& path) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    int RenameExchange(const std::string& a, const std::string& b) override;
    int Unlink(const std::string& path) override;
    int ListFolder(const std::string& folder, std::vector<std::string>* names) override;

  protected:
    using Forward = std::function<std::int64_t()>;

    // Every call comes here; `forward` passes it on to the inner FileOps and
    // answers what that answered. Answers what the call is to answer: by
    // default forward(), else -errno to fail it without passing it on, or
    // anything after forward() to watch its answer.
    virtual std::int64_t Intercept(const FileCall& call, const Forward& forward);

    // The FileOps the calls go to, for a call that is not to be intercepted.
    FileOps& inner() { return inner_; }

  private:
    FileOps& inner_;
};

}  // namespace quarnix
