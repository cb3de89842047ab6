// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file work of a command that passed its checks: the file is opened and
// held for the whole command, the marker rename is checked before anything is
// written, then come the backup, the rewrite and the rename.

#include <functional>
#include <string>
#include <vector>

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
    // The backup names of both commands, asked for or not: unfinished
    // temporary files of theirs are removed.
    std::vector<std::string> OtherBackupPaths;
    // False: a file already under BackupPath (a link too, dangling or not) is
    // kept and the work refused (BackupExists), once an interrupted earlier
    // run is settled.
    bool ReplaceBackup = false;
};

// What the file work did besides its result.
struct FileWorkReport {
    bool BackupMade = false;  // the backup is complete
    // Left by an earlier, interrupted run on the file, and settled first.
    std::vector<Leftover> Settled;
    // An earlier run's work on the file was finished from its run record;
    // this run's work was not done on top of it.
    bool EarlierWorkCompleted = false;
    // No write lease could be taken on the file: another program's writes were
    // looked for only by the file's times and size, right before each write.
    bool Unwatched = false;
};

// Whatever fails, the file is left wholly old or wholly new (or, once it is
// rewritten in place, a run record beside it lets the next run make it so)
// and the failure says which.
WorkResult RunFileWork(FileOps& files, const FileWorkPlan& plan, Direction way,
                       const CipherKeys& keys, const CommandHooks& hooks, FileWorkReport* report);

// What a look at a file for its level found.
struct LevelSearchReport {
    std::vector<Level> Fitting;  // the levels whose decryption `fits`
    // A run record of an interrupted earlier run stands for the file: Fitting
    // holds its level alone, and nothing was looked at.
    bool FromRecord = false;
};

// Opens the file at `path` like a command would, settles nothing and writes
// nothing, and asks `fits` about the decryption of its start with each of
// the candidate keys in turn.
WorkResult SearchLevel(FileOps& files, const std::string& path,
                       const std::vector<CipherKeys>& candidates,
                       const std::function<bool(const ContentPreview&)>& fits,
                       LevelSearchReport* report);

}  // namespace quarnix
