// SPDX-License-Identifier: GPL-3.0-or-later
#include "path_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quarnix::cli {

std::string PathProblem(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        if (errno == EACCES) {
            return "你没有权限进入这个文件所在的文件夹，无法访问它！";
        }
        return std::string();  // missing, or a part of the path is no folder
    }
    if (S_ISREG(info.st_mode)) {
        // The kernel's own answer for the tool's effective user counts: root
        // may, an access control list may allow or forbid. Whether the file
        // can be written is the command's business.
        if (::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0 && errno == EACCES) {
            return "你没有读取这个文件的权限！";
        }
        return std::string();
    }
    if (S_ISDIR(info.st_mode)) {
        return "你指定的是一个文件夹，不是文件！";
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        return "你指定的是一个设备，不是普通文件！";
    }
    if (S_ISFIFO(info.st_mode)) {
        return "你指定的是一个管道（FIFO），不是普通文件！";
    }
    if (S_ISSOCK(info.st_mode)) {
        return "你指定的是一个套接字，不是普通文件！";
    }
    return "你指定的不是普通文件！";
}

}  // namespace quarnix::cli
