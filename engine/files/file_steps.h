// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file steps of a command, each keeping the promise that the file is at
// every moment wholly its old or wholly its new content, or, while a file with
// several hard links is rewritten in place, that its complete new content
// stands on disk under a name of its own.

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "engine/files/file_ops.h"
#include "engine/files/work_failure.h"
#include "engine/files/work_file.h"
#include "engine/format/cipher.h"
#include "engine/work_hooks.h"

namespace quarnix {

// Copies the file to `backupPath` through a temporary file in the backup's
// folder, which replaces an existing backup only once it is complete, on
// disk, and known to hold the file as found. It keeps the file's holes and
// takes what it may of the file's ownership and permissions, never more
// readers than the file had; with `ownerOnly` (the backup stands in another
// folder than the file, which a link led to) only its owner may read it.
// Cancellable.
WorkResult CopyToBackup(const WorkFile& file, const std::string& backupPath, bool ownerOnly,
                        const CommandHooks& hooks);

// Secret and Secretter: reads the cipher window of the file, transforms it,
// writes its undo record beside `target` (the file's real path), then writes
// it back in place with one write and a flush, and removes the record. Puts
// back the old bytes when the write or the flush fails; where that fails too,
// the record stays for the next run.
WorkResult RewriteWindow(WorkFile& file, const std::string& target, Direction way,
                         const CipherKeys& keys, const CommandHooks& hooks);

// TopSecret: streams the transformed file into a temporary file beside
// `target` (the file's real path, symbolic links resolved), which takes the
// file's ownership, permissions, attributes and flags, and renames it over
// the target once flushed; `file` then holds the new file. Where the new file
// cannot take all of it, sets *inPlaceInstead and does nothing: the caller
// then rewrites the file's own inode (RewriteInPlace). Cancellable until the
// rename.
WorkResult RewriteThroughTemp(WorkFile& file, const std::string& target, Direction way,
                              const CipherKeys& keys, const CommandHooks& hooks,
                              bool* inPlaceInstead);

// TopSecret on a file with several hard links (so that all of them see the
// new content), or whose ownership a new file could not take: streams the
// transformed file into a temporary file beside `target`, flushes it and names
// it `target` + RecoverySuffix, then copies it over the file in place, flushes
// the file and removes the recovery file. Until the copy begins a failure or
// cancel leaves the file untouched and nothing behind; once it has begun it
// runs to its end, and a failure keeps the recovery file. Progress covers both
// writes: twice the file's length.
WorkResult RewriteInPlace(WorkFile& file, const std::string& target, Direction way,
                          const CipherKeys& keys, const CommandHooks& hooks);

// The next run after a copy over the file in place was interrupted: copies
// the recovery file, open as `from`, over the file, flushes it and removes the
// recovery file.
WorkResult FinishCopyBack(WorkFile& file, int from, const std::string& recovery);

// Refuses, with the file untouched, a rename of `from` to `to` that is bound
// to fail: `to` taken by a file, link or folder; its folder missing; a name
// too long; a folder this user may not change.
WorkResult CheckRename(FileOps& files, const std::string& from, const std::string& to);

// Renames `from` to `to` without ever replacing a file at `to`; a rename to
// the same path succeeds at once.
WorkResult RenameWithoutReplacing(FileOps& files, const std::string& from, const std::string& to);

}  // namespace quarnix
