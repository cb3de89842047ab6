// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file steps of a command, each keeping the promise that the file is at
// every moment wholly its old or wholly its new content, or, while it is
// rewritten in place, that a run record beside it lets the next run make it so.

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"
#include "engine/files/run_record.h"
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

// Where a rewrite keeps its run record (run_record.h) and what the record
// says of the command.
struct RecordStart {
    std::string Folder;    // the folder of the file's real path, held
    std::string ForName;   // the file's name there
    std::string FromPath;  // the file as the request names it
    std::string ToPath;    // the same after the marker rename; FromPath when none
    quarnix::Level Level = quarnix::Level::Secret;
    Direction Way = Direction::Encrypt;

    // A head of `kind` for a region of `regionLength` bytes.
    RecordHead Head(RecordKind kind, std::uint64_t regionLength) const;
};

// The last moment to drop the work with the file unchanged: a cancel request,
// or another program's work on the file since it was opened (which is then
// kept). Drops `record` (when given) in that case; else tells the front end
// that the work runs to its end from here on.
WorkResult LastChanceToDrop(const WorkFile& file, const PhaseProgress& progress, RunRecord* record);

// Secret and Secretter: reads the cipher window of the file, transforms it,
// seals its run record, then writes the window back in place with one write
// and a flush. Puts back the old bytes when the write or the flush fails, and
// drops the record then; where that fails too, the record stays for the next
// run. On success the record stands until the caller drops it, after the
// marker rename.
WorkResult RewriteWindow(WorkFile& file, const RecordStart& start, RunRecord& record,
                         const CipherKeys& keys, const CommandHooks& hooks);

// TopSecret: streams the transformed file into a temporary file beside the
// file's real path, which takes the file's ownership, permissions, attributes
// and flags, and renames it over the file once flushed; `file` then holds the
// new file. When a marker rename is to follow, a run record made before the
// replacement stands until the caller drops it. Where the new file cannot
// take all of it, sets *inPlaceInstead and does nothing: the caller then
// rewrites the file's own inode (RewriteInPlace). Cancellable until the
// replacement.
WorkResult RewriteThroughTemp(WorkFile& file, const RecordStart& start, RunRecord& record,
                              const CipherKeys& keys, const CommandHooks& hooks,
                              bool* inPlaceInstead);

// TopSecret on a file with several hard links (so that all of them see the
// new content), or whose ownership a new file could not take: writes the
// encrypted side of the work into a run record beside the file (the new
// content on encryption, the file as it is on decryption), seals it, then
// writes the new content over the file in place and flushes it. Until that
// write begins a failure or cancel leaves the file untouched and nothing
// behind; once it has begun a failure keeps the record, with which the next
// run finishes or undoes the work. On success the record stands until the
// caller drops it. Progress covers three passes: three times the length.
WorkResult RewriteInPlace(WorkFile& file, const RecordStart& start, RunRecord& record,
                          const CipherKeys& keys, const CommandHooks& hooks);

// Whether the file at `backupPath` is a backup made earlier that equals the
// file byte for byte (another file than the file itself).
bool BackupMatches(const WorkFile& file, const std::string& backupPath);

// Refuses, with the file untouched, a rename of `from` to `to` that is bound
// to fail: `to` taken by a file, link or folder; its folder missing; a name
// too long; a folder this user may not change.
WorkResult CheckRename(FileOps& files, const std::string& from, const std::string& to);

// Renames `from` to `to` without ever replacing a file at `to`; a rename to
// the same path succeeds at once.
WorkResult RenameWithoutReplacing(FileOps& files, const std::string& from, const std::string& to);

}  // namespace quarnix
