// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a path on the command line names, when it is no regular file the tool
// could work on: a folder, a device, a pipe, a socket, or something the user
// may not reach. The engine answers only "你指定的文件不存在！" for all of them.

#include <string>

namespace quarnix::cli {

// One Chinese sentence saying why `path` cannot be worked on, or an empty text
// for a regular file and for a path that does not exist (the command itself
// says so). Looks without opening: a pipe is not waited on.
std::string PathProblem(const std::string& path);

}  // namespace quarnix::cli
