// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file work of a command that passed its checks: the file is opened and
// held for the whole command, the marker rename is checked before anything is
// written, then come the backup, the rewrite and the rename.

#include <string>

#include "engine/files/file_ops.h"
#include "engine/files/work_failure.h"
#include "engine/format/cipher.h"
#include "engine/work_hooks.h"

namespace quarnix {

// What a request asks of its file, as paths the operating system takes.
struct FileWorkPlan {
    std::string Path;         // the file, as the request names it
    std::string BackupPath;   // empty: no backup
    std::string RenamedPath;  // the path after the marker rename; Path: no rename
};

// Whatever fails, the file is left wholly old or wholly new (or, once a file
// rewritten in place is being copied over, its new content stands complete in
// the recovery file) and the failure says which. `*backupMade` is set once the
// backup is complete.
WorkResult RunFileWork(FileOps& files, const FileWorkPlan& plan, Direction way,
                       const CipherKeys& keys, const CommandHooks& hooks, bool* backupMade);

}  // namespace quarnix
