// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a command's file work ended when it did not succeed: which step failed,
// the operating system's reason, and the state the file was left in.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/crypt_request.h"

namespace quarnix {

enum class FailedStep {
    OpenFile,       // opening the file for reading and writing
    Unchangeable,   // the file is marked immutable or append-only (chattr +i, +a)
    FileBusy,       // another program holds a lock on the file
    ReadFile,       // reading the file
    FileChanged,    // another program changed, shortened or replaced the file meanwhile
    ResolvePath,    // resolving the symbolic links of the path
    CreateBackup,   // making the backup's temporary file (Path: its folder)
    CopyBackup,     // copying into it (Path: the backup)
    FlushBackup,    // flushing it to disk
    NameBackup,     // renaming it to the backup name
    CreateTemp,     // making the rewrite's temporary file (Path: its folder)
    SetMode,        // giving it the file's permission bits
    WriteTemp,      // writing into it
    FlushTemp,      // flushing it to disk
    ReplaceFile,    // renaming it over the file
    FlushFolder,    // flushing the folder after a rename or link (Path: the folder)
    NameRecovery,   // giving the rewrite's temporary file its recovery name (Path: that name)
    ReadRecovery,   // reading the recovery file back (Path: the recovery file)
    WriteFile,      // writing in place: the window, or the recovery file's content
    FlushFile,      // flushing that write to disk
    DropRecovery,   // removing the recovery file once the file is rewritten (Path: it)
    Rename,         // the marker rename (Path: old path, OtherPath: new path)
    Cancelled,      // the user asked to stop
    WriteRecovery,  // writing the undo record of an in-place write (Path: the record)
    FlushRecovery,  // flushing it to disk (Path: the record)
    DropJournal,    // removing the undo record once the write is on disk (Path: it)
    BackupName,     // the backup's name is longer than its folder takes (Path: the backup)
    LeaseRefused,   // another program has the file open
    BackupExists,   // a file stands under the backup's name (Path: the backup)
};

enum class FileState {
    Untouched,              // content and name as before the command
    LeftToOtherProgram,     // as another program left it; this command's work is dropped
    TransformedNotRenamed,  // new content under the old name
    PartlyRewritten,        // copying the new content over the file stopped part way;
                            // the recovery file (OtherPath) holds the whole new content
    AwaitingRollback,       // an in-place write failed and could not be undone now; its
                            // undo record (OtherPath) puts the file back at the next run
    TransformedMovedAway,   // new content, but another program moved or replaced the
                            // file at its path meanwhile, so it was not renamed
};

struct WorkFailure {
    OutcomeKind Kind = OutcomeKind::ReadFailed;
    FailedStep Step = FailedStep::ReadFile;
    int Error = 0;          // errno, 0 when there is none
    std::string Path;       // UTF-8: the file, folder or backup the step worked on
    std::string OtherPath;  // UTF-8: the rename's target, or the recovery file
    FileState State = FileState::Untouched;
};

// What a run found and settled before its work, left by an earlier run on the
// same file that a kill or a power cut interrupted.
enum class LeftoverKind {
    RolledBack,     // the file's start was put back as it was (Path: the undo record)
    CopyCompleted,  // the copy over a hard-linked file was completed (Path: the recovery file)
    TempRemoved,    // an unfinished temporary file or record was removed (Path: it)
};

struct Leftover {
    LeftoverKind Kind = LeftoverKind::TempRemoved;
    std::string Path;  // UTF-8
};

// nullopt: the step succeeded.
using WorkResult = std::optional<WorkFailure>;

inline WorkFailure Failure(OutcomeKind kind, FailedStep step, int error, std::string path,
                           FileState state = FileState::Untouched) {
    return WorkFailure{kind, step, error < 0 ? -error : error, std::move(path), {}, state};
}

// Another program changed, replaced or shortened the file while the work ran:
// its work is kept and this command's dropped.
inline WorkFailure ChangedByAnotherProgram() {
    return Failure(OutcomeKind::FileChanged, FailedStep::FileChanged, 0, {},
                   FileState::LeftToOtherProgram);
}

inline WorkFailure CancelledWork() {
    return WorkFailure{OutcomeKind::WorkCancelled, FailedStep::Cancelled, 0, {}, {},
                       FileState::Untouched};
}

}  // namespace quarnix
