// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The undo record of an in-place write of the cipher window. A disk writes the
// pages of one write independently, so a power cut during the write or its
// flush can leave the window part new and part old. Before the window
// changes, its old bytes and the file's identity are written to a
// record beside the file (its real path followed by UndoSuffix), readable by
// its owner only, and flushed with the folder; once the new window is on
// disk, the record goes again. The next run on the file finds a record left
// behind and puts the window back as it was before anything else happens: a
// record that is still there means the write was never known to be complete,
// even where the window holds all its new bytes.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/file_ops.h"
#include "engine/files/work_failure.h"
#include "engine/files/work_file.h"

namespace quarnix {

// Writes the record at `path` (never over an existing file), gives it the
// file's owner and group where this user may, and flushes it and its folder.
// On failure nothing is left and *step names what failed.
int WriteJournal(FileOps& files, const std::string& path, const struct stat& file,
                 const std::vector<std::uint8_t>& old, FailedStep* step);

// Removes the record and flushes its folder. Answers 0 or -errno.
int DropJournal(FileOps& files, const std::string& path);

// What the next run found at the record's name.
enum class JournalFound {
    None,        // no record, or one that is not this program's for this file
    RolledBack,  // the window had changed: it holds its old bytes again
    Unused,      // the window was still old, or the record was incomplete or
                 // for a file since replaced: the record went, nothing else changed
};

// Acts on a record left at `path` for the open, locked `file`, before the
// work begins; refreshes what `file` knows of itself when it wrote to it.
WorkResult ReplayJournal(WorkFile& file, const std::string& path, JournalFound* found);

}  // namespace quarnix
