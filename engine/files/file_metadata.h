// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What decides who may read a file and how it is kept, carried over to a new
// file that takes its place (the rewrite's temporary file) or stands beside it
// (the backup): owner and group, permission bits with their set-id bits,
// access control lists, extended attributes and inode flags.
//
// The new file is made by this process, readable by its owner only, and gets
// nothing wider than the file it copies at any moment. Set-id bits go on last,
// after the last write: the kernel clears them when an ordinary user writes.

#include <sys/types.h>

#include <string>

#include "engine/files/work_file.h"

namespace quarnix {

// Gives the empty new file `to` (named `toName` in reports) everything of
// `from` but the set-id bits of its mode. False when any of it cannot be
// reproduced on a new file (another owner, a group or attribute this user may
// not set): the caller then rewrites the file's own inode instead.
bool CarryOverAll(const WorkFile& from, int to, const std::string& toName);

// Gives the empty backup `to` what it may take of `from` without ever being
// readable by anyone who could not read `from`: when its group cannot be the
// file's, it gets no group or other permission bits. Answers the mode to set
// with SetFinalMode once the copy is written.
mode_t CarryOverToBackup(const WorkFile& from, int to, const std::string& toName);

// Sets the permission bits with their set-id bits once the last write is done.
int SetFinalMode(FileOps& files, int fd, mode_t mode);

// After writing into the file's own inode: puts back set-id bits that the
// write cleared, where this user may. Answers true when the mode was changed
// (the change then wants a flush).
bool RestoreMode(const WorkFile& file);

}  // namespace quarnix
