// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a command's file work ended when it did not succeed: which step failed,
// the operating system's reason, and the state the file was left in.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/format/cipher.h"

namespace quarnix {

// How the file work ended, as the command above it answers the user.
enum class FailureKind {
    ReadFailed,
    WriteFailed,
    BackupFailed,
    RenameFailed,
    RenameTargetExists,         // a file took the new name
    RenameTargetFolderMissing,  // the new name lies in a folder that does not exist
    FileChanged,                // another program changed the file meanwhile
    FileBusy,                   // another program holds a lock on the file
    FileUnchangeable,           // chattr +i or +a
    FileOpenElsewhere,          // another program has the file open
    WorkCancelled,              // the user stopped the work
    ContentDeclined,            // the user declined after the look at the content
    BackupExists,               // a file stands under the backup's name
};

enum class FailedStep {
    OpenFile,        // opening the file for reading and writing
    Unchangeable,    // the file is marked immutable or append-only (chattr +i, +a)
    FileBusy,        // another program holds a lock on the file
    ReadFile,        // reading the file
    FileChanged,     // another program changed, shortened or replaced the file meanwhile
    ResolvePath,     // resolving the symbolic links of the path
    FolderReadOnly,  // the file's folder takes no new file from this user (Path: the folder)
    CreateBackup,    // making the backup's temporary file (Path: its folder)
    CopyBackup,      // copying into it (Path: the backup)
    FlushBackup,     // flushing it to disk
    NameBackup,      // renaming it to the backup name
    CreateTemp,      // making the rewrite's temporary file (Path: its folder)
    SetMode,         // giving it the file's permission bits
    WriteTemp,       // writing into it
    FlushTemp,       // flushing it to disk
    ReplaceFile,     // renaming it over the file
    FlushFolder,     // flushing the folder after a rename or link (Path: the folder)
    WriteFile,       // writing in place: the window, or the whole file over its own inode
    FlushFile,       // flushing that write to disk
    Rename,          // the marker rename (Path: old path, OtherPath: new path)
    Cancelled,       // the user asked to stop
    CreateRecord,    // making the run record beside the file (Path: its folder)
    WriteRecord,     // writing it (Path: its folder)
    FlushRecord,     // flushing it to disk (Path: its folder)
    NameRecord,      // giving it its name (Path: its folder)
    ReadRecord,      // reading a record an earlier run left (Path: the record)
    DropRecord,      // removing the record once the work is done (Path: the record)
    BackupName,      // the backup's name is longer than its folder takes (Path: the backup)
    LeaseRefused,    // another program has the file open
    BackupExists,    // a file stands under the backup's name (Path: the backup)
};

enum class FileState {
    Untouched,              // content and name as before the command
    LeftToOtherProgram,     // as another program left it; this command's work is dropped
    TransformedNotRenamed,  // new content under the old name
    AwaitingSettle,         // a write in place failed part way and could not be undone now;
                            // the run record (OtherPath) finishes or undoes it at the next run
    TransformedMovedAway,   // new content, but another program moved or replaced the
                            // file at its path meanwhile, so it was not renamed
    RecordLeft,             // done, marker rename included, but the run record (OtherPath)
                            // could not be removed; the next run removes it
    TornRecordDamaged,      // an earlier run may have left the file half written, and its
                            // record (OtherPath) cannot be read: both left as they are
    OldContentLeft,         // new content in place, but the old file still stands under a
                            // hidden name (OtherPath) that could not be removed
};

struct WorkFailure {
    FailureKind Kind = FailureKind::ReadFailed;
    FailedStep Step = FailedStep::ReadFile;
    int Error = 0;          // errno, 0 when there is none
    std::string Path;       // UTF-8: the file, folder or backup the step worked on
    std::string OtherPath;  // UTF-8: the rename's target, or the run record
    FileState State = FileState::Untouched;
};

// What a run found beside the file and settled before its own work, left by
// an earlier run on the same file that a kill or a power cut interrupted.
enum class LeftoverKind {
    Completed,      // the earlier run's work was finished (Path: its record; OtherPath: the
                    // name the file was given, when the marker rename was finished too)
    RolledBack,     // an earlier decryption was undone (Path: its record; Torn: it had
                    // written part of the file)
    RecordRemoved,  // the earlier run had not changed the file yet: its record went (Path)
    RecordStale,    // a record for this file's name or inode that does not fit the file as
                    // it is now: left where it is (Path)
    RecordDamaged,  // a record that cannot be read: left where it is (Path)
    TempRemoved,    // an unfinished temporary file was removed (Path: it)
};

struct Leftover {
    LeftoverKind Kind = LeftoverKind::TempRemoved;
    std::string Path;                    // UTF-8
    std::string OtherPath;               // UTF-8
    Direction Way = Direction::Encrypt;  // Completed, RolledBack: the earlier run's
    bool Torn = false;                   // Completed, RolledBack: it had written part of the file
    bool Renamed = false;                // Completed: the marker rename was finished now
    int RenameError = 0;                 // Completed: why the marker rename could not be finished
};

// nullopt: the step succeeded.
using WorkResult = std::optional<WorkFailure>;

inline WorkFailure Failure(FailureKind kind, FailedStep step, int error, std::string path,
                           FileState state = FileState::Untouched) {
    return WorkFailure{kind, step, error < 0 ? -error : error, std::move(path), {}, state};
}

// Another program changed, replaced or shortened the file while the work ran:
// its work is kept and this command's dropped.
inline WorkFailure ChangedByAnotherProgram() {
    return Failure(FailureKind::FileChanged, FailedStep::FileChanged, 0, {},
                   FileState::LeftToOtherProgram);
}

inline WorkFailure CancelledWork() {
    return WorkFailure{FailureKind::WorkCancelled, FailedStep::Cancelled, 0, {}, {},
                       FileState::Untouched};
}

}  // namespace quarnix
