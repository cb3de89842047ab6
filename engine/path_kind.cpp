// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/path_kind.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/files/file_ops.h"

namespace quarnix {

PathKind KindOfPath(FileOps& files, const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat info {};
    const int found = path.empty() ? -ENOENT : files.Stat(path, &info);
    if (found == -EACCES) {
        return PathKind::FolderNotReachable;
    }
    if (found < 0) {
        return PathKind::Missing;
    }
    if (S_ISDIR(info.st_mode) || last.empty() || last == "." || last == "..") {
        return PathKind::Folder;
    }
    if (S_ISREG(info.st_mode)) {
        // Whether the file can be written is the command's business.
        return files.Access(path, R_OK) == -EACCES ? PathKind::NotReadable : PathKind::RegularFile;
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        return PathKind::Device;
    }
    if (S_ISFIFO(info.st_mode)) {
        return PathKind::Pipe;
    }
    return S_ISSOCK(info.st_mode) ? PathKind::Socket : PathKind::Other;
}

std::u16string PathKindText(PathKind kind) {
    switch (kind) {
        case PathKind::RegularFile:
        case PathKind::Missing:
            return {};
        case PathKind::Folder:
            return u"你指定的是一个文件夹，不是文件！";
        case PathKind::Device:
            return u"你指定的是一个设备，不是普通文件！";
        case PathKind::Pipe:
            return u"你指定的是一个管道（FIFO），不是普通文件！";
        case PathKind::Socket:
            return u"你指定的是一个套接字，不是普通文件！";
        case PathKind::Other:
            return u"你指定的不是普通文件！";
        case PathKind::FolderNotReachable:
            return u"你没有权限进入这个文件所在的文件夹，无法访问它！";
        case PathKind::NotReadable:
            return u"你没有读取这个文件的权限！";
    }
    return {};
}

}  // namespace quarnix
