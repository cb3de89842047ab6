// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/forwarding_file_ops.h"

#include <iterator>

namespace quarnix {

const char* FileOpName(FileOp op) {
    static constexpr const char* Names[] = {
        "Stat",           "Lstat",           "Fstat",          "RealPath",     "Open",
        "OpenUnnamed",    "MakeTemp",        "Close",          "Pread",        "Pwrite",
        "CopyRange",      "Truncate",        "Fsync",          "Fdatasync",    "Fchmod",
        "Fchown",         "StartWriteback",  "DropWritten",    "Seek",         "Lock",
        "Lease",          "LeaseHeld",       "GetFlags",       "SetFlags",     "CopyAccessControl",
        "CopyAttributes", "Access",          "NameMax",        "LinkOpenFile", "Link",
        "Rename",         "RenameNoReplace", "RenameExchange", "Unlink",       "ListFolder"};
    static_assert(std::size(Names) == FileOpCount);
    return Names[static_cast<int>(op)];
}

std::int64_t ForwardingFileOps::Intercept(const FileCall&, const Forward& forward) {
    return forward();
}

int ForwardingFileOps::Stat(const std::string& path, struct stat* info) {
    return static_cast<int>(
        Intercept({.op = FileOp::Stat, .path = path}, [&] { return inner_.Stat(path, info); }));
}

int ForwardingFileOps::Lstat(const std::string& path, struct stat* info) {
    return static_cast<int>(
        Intercept({.op = FileOp::Lstat, .path = path}, [&] { return inner_.Lstat(path, info); }));
}

int ForwardingFileOps::Fstat(int fd, struct stat* info) {
    return static_cast<int>(
        Intercept({.op = FileOp::Fstat, .fd = fd}, [&] { return inner_.Fstat(fd, info); }));
}

int ForwardingFileOps::RealPath(const std::string& path, std::string* resolved) {
    return static_cast<int>(Intercept({.op = FileOp::RealPath, .path = path},
                                      [&] { return inner_.RealPath(path, resolved); }));
}

int ForwardingFileOps::Open(const std::string& path, int flags, mode_t mode) {
    return static_cast<int>(
        Intercept({.op = FileOp::Open, .path = path, .flags = flags, .mode = mode},
                  [&] { return inner_.Open(path, flags, mode); }));
}

int ForwardingFileOps::OpenUnnamed(const std::string& folder, mode_t mode) {
    return static_cast<int>(Intercept({.op = FileOp::OpenUnnamed, .path = folder, .mode = mode},
                                      [&] { return inner_.OpenUnnamed(folder, mode); }));
}

int ForwardingFileOps::MakeTemp(std::string* pathTemplate) {
    FileCall call{.op = FileOp::MakeTemp, .path = *pathTemplate};
    return static_cast<int>(Intercept(call, [&] {
        const int fd = inner_.MakeTemp(pathTemplate);
        call.path = *pathTemplate;
        return fd;
    }));
}

int ForwardingFileOps::Close(int fd) {
    return static_cast<int>(
        Intercept({.op = FileOp::Close, .fd = fd}, [&] { return inner_.Close(fd); }));
}

std::int64_t ForwardingFileOps::Pread(int fd, void* buffer, std::size_t size, std::int64_t offset) {
    return Intercept(
        {.op = FileOp::Pread, .fd = fd, .offset = offset, .size = static_cast<std::int64_t>(size)},
        [&] { return inner_.Pread(fd, buffer, size, offset); });
}

std::int64_t ForwardingFileOps::Pwrite(int fd, const void* buffer, std::size_t size,
                                       std::int64_t offset) {
    return Intercept(
        {.op = FileOp::Pwrite, .fd = fd, .offset = offset, .size = static_cast<std::int64_t>(size)},
        [&] { return inner_.Pwrite(fd, buffer, size, offset); });
}

std::int64_t ForwardingFileOps::CopyRange(int from, std::int64_t* fromOffset, int to,
                                          std::int64_t* toOffset, std::size_t size) {
    return Intercept({.op = FileOp::CopyRange,
                      .fd = to,
                      .fromFd = from,
                      .offset = *toOffset,
                      .size = static_cast<std::int64_t>(size)},
                     [&] { return inner_.CopyRange(from, fromOffset, to, toOffset, size); });
}

int ForwardingFileOps::Truncate(int fd, std::int64_t size) {
    return static_cast<int>(Intercept({.op = FileOp::Truncate, .fd = fd, .size = size},
                                      [&] { return inner_.Truncate(fd, size); }));
}

int ForwardingFileOps::Fsync(int fd) {
    return static_cast<int>(
        Intercept({.op = FileOp::Fsync, .fd = fd}, [&] { return inner_.Fsync(fd); }));
}

int ForwardingFileOps::Fdatasync(int fd) {
    return static_cast<int>(
        Intercept({.op = FileOp::Fdatasync, .fd = fd}, [&] { return inner_.Fdatasync(fd); }));
}

int ForwardingFileOps::Fchmod(int fd, mode_t mode) {
    return static_cast<int>(Intercept({.op = FileOp::Fchmod, .fd = fd, .mode = mode},
                                      [&] { return inner_.Fchmod(fd, mode); }));
}

int ForwardingFileOps::Fchown(int fd, uid_t owner, gid_t group) {
    return static_cast<int>(Intercept({.op = FileOp::Fchown, .fd = fd},
                                      [&] { return inner_.Fchown(fd, owner, group); }));
}

int ForwardingFileOps::StartWriteback(int fd, std::int64_t offset, std::int64_t size) {
    return static_cast<int>(
        Intercept({.op = FileOp::StartWriteback, .fd = fd, .offset = offset, .size = size},
                  [&] { return inner_.StartWriteback(fd, offset, size); }));
}

int ForwardingFileOps::DropWritten(int fd, std::int64_t offset, std::int64_t size) {
    return static_cast<int>(
        Intercept({.op = FileOp::DropWritten, .fd = fd, .offset = offset, .size = size},
                  [&] { return inner_.DropWritten(fd, offset, size); }));
}

std::int64_t ForwardingFileOps::Seek(int fd, std::int64_t offset, int whence) {
    return Intercept({.op = FileOp::Seek, .fd = fd, .offset = offset},
                     [&] { return inner_.Seek(fd, offset, whence); });
}

int ForwardingFileOps::Lock(int fd) {
    return static_cast<int>(
        Intercept({.op = FileOp::Lock, .fd = fd}, [&] { return inner_.Lock(fd); }));
}

int ForwardingFileOps::Lease(int fd, int type) {
    return static_cast<int>(
        Intercept({.op = FileOp::Lease, .fd = fd}, [&] { return inner_.Lease(fd, type); }));
}

int ForwardingFileOps::LeaseHeld(int fd) {
    return static_cast<int>(
        Intercept({.op = FileOp::LeaseHeld, .fd = fd}, [&] { return inner_.LeaseHeld(fd); }));
}

int ForwardingFileOps::GetFlags(int fd, unsigned* flags) {
    return static_cast<int>(
        Intercept({.op = FileOp::GetFlags, .fd = fd}, [&] { return inner_.GetFlags(fd, flags); }));
}

int ForwardingFileOps::SetFlags(int fd, unsigned flags) {
    return static_cast<int>(
        Intercept({.op = FileOp::SetFlags, .fd = fd}, [&] { return inner_.SetFlags(fd, flags); }));
}

int ForwardingFileOps::CopyAccessControl(int from, const std::string& fromPath, int to,
                                         const std::string& toPath) {
    return static_cast<int>(
        Intercept({.op = FileOp::CopyAccessControl,
                   .fd = to,
                   .fromFd = from,
                   .path = fromPath,
                   .toPath = toPath},
                  [&] { return inner_.CopyAccessControl(from, fromPath, to, toPath); }));
}

int ForwardingFileOps::CopyAttributes(int from, const std::string& fromPath, int to,
                                      const std::string& toPath) {
    return static_cast<int>(
        Intercept({.op = FileOp::CopyAttributes,
                   .fd = to,
                   .fromFd = from,
                   .path = fromPath,
                   .toPath = toPath},
                  [&] { return inner_.CopyAttributes(from, fromPath, to, toPath); }));
}

int ForwardingFileOps::Access(const std::string& path, int mode) {
    return static_cast<int>(
        Intercept({.op = FileOp::Access, .path = path}, [&] { return inner_.Access(path, mode); }));
}

long ForwardingFileOps::NameMax(const std::string& folder) {
    return static_cast<long>(
        Intercept({.op = FileOp::NameMax, .path = folder}, [&] { return inner_.NameMax(folder); }));
}

int ForwardingFileOps::LinkOpenFile(int fd, const std::string& path) {
    return static_cast<int>(Intercept({.op = FileOp::LinkOpenFile, .fd = fd, .path = path},
                                      [&] { return inner_.LinkOpenFile(fd, path); }));
}

int ForwardingFileOps::Link(const std::string& from, const std::string& to) {
    return static_cast<int>(Intercept({.op = FileOp::Link, .path = from, .toPath = to},
                                      [&] { return inner_.Link(from, to); }));
}

int ForwardingFileOps::Rename(const std::string& from, const std::string& to) {
    return static_cast<int>(Intercept({.op = FileOp::Rename, .path = from, .toPath = to},
                                      [&] { return inner_.Rename(from, to); }));
}

int ForwardingFileOps::RenameExchange(const std::string& a, const std::string& b) {
    return static_cast<int>(Intercept({.op = FileOp::RenameExchange, .path = a, .toPath = b},
                                      [&] { return inner_.RenameExchange(a, b); }));
}

int ForwardingFileOps::RenameNoReplace(const std::string& from, const std::string& to) {
    return static_cast<int>(Intercept({.op = FileOp::RenameNoReplace, .path = from, .toPath = to},
                                      [&] { return inner_.RenameNoReplace(from, to); }));
}

int ForwardingFileOps::Unlink(const std::string& path) {
    return static_cast<int>(
        Intercept({.op = FileOp::Unlink, .path = path}, [&] { return inner_.Unlink(path); }));
}

int ForwardingFileOps::ListFolder(const std::string& folder, std::vector<std::string>* names) {
    return static_cast<int>(Intercept({.op = FileOp::ListFolder, .path = folder},
                                      [&] { return inner_.ListFolder(folder, names); }));
}

}  // namespace quarnix
