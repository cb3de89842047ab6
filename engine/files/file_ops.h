// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every system call the file commands make, behind one small interface, so
// that tests can make any step fail or slow down (see ForwardingFileOps).
//
// Paths are UTF-8 byte strings as the operating system takes them. Every call
// answers a value >= 0 on success (0, a descriptor or a byte count) and
// -errno on failure; none of them throws.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnix {

class FileOps {
  public:
    virtual ~FileOps() = default;

    // stat(2), following symbolic links; lstat(2) does not follow them.
    virtual int Stat(const std::string& path, struct stat* info) = 0;
    virtual int Lstat(const std::string& path, struct stat* info) = 0;
    virtual int Fstat(int fd, struct stat* info) = 0;
    // realpath(3): the path with every symbolic link resolved.
    virtual int RealPath(const std::string& path, std::string* resolved) = 0;

    // open(2); O_CLOEXEC is added by the implementation.
    virtual int Open(const std::string& path, int flags, mode_t mode) = 0;
    // An unnamed file in `folder` (O_TMPFILE), readable and writable.
    virtual int OpenUnnamed(const std::string& folder, mode_t mode) = 0;
    // mkstemp(3): `pathTemplate` ends in "XXXXXX", which is filled in.
    virtual int MakeTemp(std::string* pathTemplate) = 0;
    virtual int Close(int fd) = 0;

    virtual std::int64_t Pread(int fd, void* buffer, std::size_t size, std::int64_t offset) = 0;
    virtual std::int64_t Pwrite(int fd, const void* buffer, std::size_t size,
                                std::int64_t offset) = 0;
    // copy_file_range(2) with explicit offsets, which it advances.
    virtual std::int64_t CopyRange(int from, std::int64_t* fromOffset, int to,
                                   std::int64_t* toOffset, std::size_t size) = 0;
    virtual int Truncate(int fd, std::int64_t size) = 0;  // ftruncate(2)
    virtual int Fsync(int fd) = 0;
    virtual int Fdatasync(int fd) = 0;
    virtual int Fchmod(int fd, mode_t mode) = 0;
    virtual int Fchown(int fd, uid_t owner, gid_t group) = 0;
    // Starts writing a range to disk without waiting (sync_file_range), so
    // that the final flush has less left to do. A hint: failure changes nothing.
    virtual int StartWriteback(int /*fd*/, std::int64_t /*offset*/, std::int64_t /*size*/) {
        return 0;
    }
    // Waits until a range is on disk and drops it from the page cache, for a
    // file that is written once and not read again (the backup). A hint too.
    virtual int DropWritten(int /*fd*/, std::int64_t /*offset*/, std::int64_t /*size*/) {
        return 0;
    }
    // lseek(2), for SEEK_DATA and SEEK_HOLE: the offset found, or -errno
    // (-ENXIO: no data or hole at or after `offset`).
    virtual std::int64_t Seek(int fd, std::int64_t offset, int whence) = 0;

    // An exclusive lock on the whole open file, held by its open file
    // description until it is closed (an OFD lock, F_OFD_SETLK). Does not
    // wait: -EAGAIN or -EACCES when another holds a lock on the file.
    virtual int Lock(int fd) = 0;
    // A write lease on the open file (F_SETLEASE F_WRLCK), or its release
    // (F_UNLCK): -EAGAIN when another open file description has the file open,
    // -EACCES when neither this user owns it nor may take leases (CAP_LEASE),
    // -EINVAL where the file system has none. The lease breaks no program:
    // nobody is signalled when another opens the file.
    virtual int Lease(int fd, int type) = 0;
    // The lease this open file description holds (F_GETLEASE): F_WRLCK, or
    // F_UNLCK once the kernel broke it for another program that waited
    // longer than lease-break-time to open the file; -errno.
    virtual int LeaseHeld(int fd) = 0;

    // The inode flags of chattr(1) (FS_IOC_GETFLAGS / FS_IOC_SETFLAGS).
    virtual int GetFlags(int fd, unsigned* flags) = 0;
    virtual int SetFlags(int fd, unsigned flags) = 0;
    // Gives `to` the permission bits and the access control list of `from`
    // (perm_copy_fd of libacl). The paths only name the files in reports.
    virtual int CopyAccessControl(int from, const std::string& fromPath, int to,
                                  const std::string& toPath) = 0;
    // Gives `to` every extended attribute of `from` that this process may
    // read, but for the access control lists (attr_copy_fd of libattr).
    // Fails when any of them cannot be set.
    virtual int CopyAttributes(int from, const std::string& fromPath, int to,
                               const std::string& toPath) = 0;

    // faccessat(2) with the effective user and groups: 0 when `mode`
    // (R_OK, W_OK, X_OK) is granted on `path`.
    virtual int Access(const std::string& path, int mode) = 0;
    // The longest file name the folder takes, in bytes (pathconf _PC_NAME_MAX).
    virtual long NameMax(const std::string& folder) = 0;

    // Gives the open file `fd` (made by OpenUnnamed) the name `path`;
    // fails with -EEXIST when that name is taken.
    virtual int LinkOpenFile(int fd, const std::string& path) = 0;
    // link(2): never follows a symbolic link at `from`.
    virtual int Link(const std::string& from, const std::string& to) = 0;
    // rename(2): replaces `to` when it exists.
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    // renameat2(2) with RENAME_NOREPLACE; -EINVAL or -ENOSYS where the file
    // system or kernel lacks it.
    virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;
    // renameat2(2) with RENAME_EXCHANGE: the two names swap their files at
    // once; -EINVAL or -ENOSYS where the file system or kernel lacks it.
    virtual int RenameExchange(const std::string& a, const std::string& b) = 0;
    virtual int Unlink(const std::string& path) = 0;
    // The names in a folder, but for "." and "..".
    virtual int ListFolder(const std::string& folder, std::vector<std::string>* names) = 0;
};

// The real file system. The class is open so that a test can override a step.
class PosixFileOps : public FileOps {
  public:
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
};

// The process-wide real file system, used when a command is given no FileOps.
FileOps& SystemFileOps();

}  // namespace quarnix
