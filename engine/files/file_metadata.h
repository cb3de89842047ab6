// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What decides who may read a file and how it is kept, carried over to a new
// file that takes its place (the rewrite's temporary file) or stands beside it
// (the backup): owner and group, permission bits with their set-id bits,
// access control lists, extended attributes and inode flags.
//
// The new file is made by this process, readable by its owner only, and gets
// nothing wider than the file it copies at any moment; its content is
// readable by nobody else until it is complete. Set-id bits go on last,
// after the last write: the kernel clears them when an ordinary user writes.

#include <sys/types.h>

#include <string>

#include "engine/files/work_file.h"

namespace quarnix {

// Gives the empty new file `to` (named `toName` in reports) everything of
// `from` but its permissions, and leaves it readable by its owner only until
// GiveAccess. False when any of it cannot be reproduced on a new file
// (another owner, a group, access control list or attribute this user may not
// set): the caller then rewrites the file's own inode instead.
bool CarryOverAll(const WorkFile& from, int to, const std::string& toName);

// Once the content of `to` is complete: gives it the permission bits, set-id
// bits and access control list of `from`. Answers 0 or -errno.
int GiveAccess(const WorkFile& from, int to, const std::string& toName);

// Who may read a backup, worked out before its content is written and given
// with GiveBackupAccess once it is complete.
struct BackupAccess {
    mode_t Mode = 0600;
    bool WithAccessList = false;  // the file's access control list applies too
};

// Gives the empty backup `to` the owner, group, attributes and flags it may
// take of `from`, and works out the access it gets once complete: never
// readable by anyone who could not read `from`. When its group cannot be the
// file's, or `ownerOnly` (the backup stands in another folder than the file),
// only its owner may read it.
BackupAccess CarryOverToBackup(const WorkFile& from, int to, const std::string& toName,
                               bool ownerOnly);
int GiveBackupAccess(const WorkFile& from, int to, const std::string& toName,
                     const BackupAccess& access);

// Sets the permission bits with their set-id bits once the last write is done.
int SetFinalMode(FileOps& files, int fd, mode_t mode);

// After writing into the file's own inode: puts back set-id bits that the
// write cleared, where this user may. Answers true when the mode was changed
// (the change then wants a flush).
bool RestoreMode(const WorkFile& file);
// The same for the open file `fd`, whose permission bits were `mode` before.
bool RestoreSetIdBits(FileOps& files, int fd, mode_t mode);

}  // namespace quarnix
