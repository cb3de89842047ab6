// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a path names, when it is no regular file a command could work on: a
// folder, a device, a pipe, a socket, or something the user may not reach.

#include <string>

namespace quarnix {

class FileOps;

enum class PathKind {
    RegularFile,
    Missing,  // nothing there, an empty path, or a part of the path is no folder
    Folder,
    Device,
    Pipe,
    Socket,
    Other,
    FolderNotReachable,  // the user may not enter a folder on the way
    NotReadable,         // a regular file the user may not read
};

// Looks without opening (a pipe is not waited on), through `files`; the
// kernel's answer for the effective user counts. A path whose last part is
// "." or ".." or that ends in "/" names a folder.
PathKind KindOfPath(FileOps& files, const std::string& path);

// One sentence saying why a path of this kind cannot be worked on; empty for
// a regular file and for a missing one, which the refusal itself names.
std::u16string PathKindText(PathKind kind);

}  // namespace quarnix
