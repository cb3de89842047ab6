// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A FileOps that passes every call on to another one. Derive from it and
// override one step to make that step fail, pause or count its calls, while
// the others reach the real file system.

#include "engine/files/file_ops.h"

namespace quarnix {

class ForwardingFileOps : public FileOps {
  public:
    explicit ForwardingFileOps(FileOps& inner) : inner_(inner) {}

    int Stat(const std::string& path, struct stat* info) override {
        return inner_.Stat(path, info);
    }
    int Lstat(const std::string& path, struct stat* info) override {
        return inner_.Lstat(path, info);
    }
    int Fstat(int fd, struct stat* info) override { return inner_.Fstat(fd, info); }
    int RealPath(const std::string& path, std::string* resolved) override {
        return inner_.RealPath(path, resolved);
    }
    int Open(const std::string& path, int flags, mode_t mode) override {
        return inner_.Open(path, flags, mode);
    }
    int OpenUnnamed(const std::string& folder, mode_t mode) override {
        return inner_.OpenUnnamed(folder, mode);
    }
    int MakeTemp(std::string* pathTemplate) override { return inner_.MakeTemp(pathTemplate); }
    int Close(int fd) override { return inner_.Close(fd); }
    std::int64_t Pread(int fd, void* buffer, std::size_t size, std::int64_t offset) override {
        return inner_.Pread(fd, buffer, size, offset);
    }
    std::int64_t Pwrite(int fd, const void* buffer, std::size_t size,
                        std::int64_t offset) override {
        return inner_.Pwrite(fd, buffer, size, offset);
    }
    std::int64_t CopyRange(int from, std::int64_t* fromOffset, int to, std::int64_t* toOffset,
                           std::size_t size) override {
        return inner_.CopyRange(from, fromOffset, to, toOffset, size);
    }
    int Truncate(int fd, std::int64_t size) override { return inner_.Truncate(fd, size); }
    int Fsync(int fd) override { return inner_.Fsync(fd); }
    int Fdatasync(int fd) override { return inner_.Fdatasync(fd); }
    int Fchmod(int fd, mode_t mode) override { return inner_.Fchmod(fd, mode); }
    int Fchown(int fd, uid_t owner, gid_t group) override {
        return inner_.Fchown(fd, owner, group);
    }
    int StartWriteback(int fd, std::int64_t offset, std::int64_t size) override {
        return inner_.StartWriteback(fd, offset, size);
    }
    int DropWritten(int fd, std::int64_t offset, std::int64_t size) override {
        return inner_.DropWritten(fd, offset, size);
    }
    std::int64_t Seek(int fd, std::int64_t offset, int whence) override {
        return inner_.Seek(fd, offset, whence);
    }
    int Lock(int fd) override { return inner_.Lock(fd); }
    int Lease(int fd, int type) override { return inner_.Lease(fd, type); }
    int LeaseHeld(int fd) override { return inner_.LeaseHeld(fd); }
    int GetFlags(int fd, unsigned* flags) override { return inner_.GetFlags(fd, flags); }
    int SetFlags(int fd, unsigned flags) override { return inner_.SetFlags(fd, flags); }
    int CopyAccessControl(int from, const std::string& fromPath, int to,
                          const std::string& toPath) override {
        return inner_.CopyAccessControl(from, fromPath, to, toPath);
    }
    int CopyAttributes(int from, const std::string& fromPath, int to,
                       const std::string& toPath) override {
        return inner_.CopyAttributes(from, fromPath, to, toPath);
    }
    int Access(const std::string& path, int mode) override { return inner_.Access(path, mode); }
    long NameMax(const std::string& folder) override { return inner_.NameMax(folder); }
    int LinkOpenFile(int fd, const std::string& path) override {
        return inner_.LinkOpenFile(fd, path);
    }
    int Link(const std::string& from, const std::string& to) override {
        return inner_.Link(from, to);
    }
    int Rename(const std::string& from, const std::string& to) override {
        return inner_.Rename(from, to);
    }
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        return inner_.RenameNoReplace(from, to);
    }
    int Unlink(const std::string& path) override { return inner_.Unlink(path); }
    int ListFolder(const std::string& folder, std::vector<std::string>* names) override {
        return inner_.ListFolder(folder, names);
    }

  protected:
    FileOps& inner() { return inner_; }

  private:
    FileOps& inner_;
};

}  // namespace quarnix
