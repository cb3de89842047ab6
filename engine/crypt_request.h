// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contract between the front ends (window, command line) and the engine:
// the request a front end hands over and the outcome the engine hands back,
// with the text to show. How an outcome is shown (a message box's title and
// icon, the password box to empty) is the front end's business.

#include <string>

#include "engine/format/level.h"
#include "engine/path_kind.h"
#include "engine/secret_text.h"

namespace quarnix {

// Everything a command takes from its front end, read once at the click.
struct CryptRequest {
    std::u16string FilePath;  // the path the file chooser returned; empty when none yet
    quarnix::Level Level = quarnix::Level::Secret;
    SecretText Password1;
    SecretText Password1Confirm;
    SecretText Password2;         // read at TopSecret only
    SecretText Password2Confirm;  // read at TopSecret only
    bool MakeBackup = true;
    bool MarkFile = true;
    // The window marks the whole path, as its file chooser returned it (a dot
    // in a folder's name may take the marker). quarnix-cli takes paths as
    // typed, relative ones joined to the working folder, and marks only the
    // path's last part: the name the user gave.
    bool MarkNameOnly = false;
    // A backup left by an earlier run may be the only copy of an older
    // version: it is replaced only when the user said so.
    bool ReplaceBackup = false;
};

enum class OutcomeKind {
    // Refusals, checked in this order before anything touches the disk.
    FileMissing,  // no regular file at the path; PathKind says what is there
    Password1Empty,
    Password1Mismatch,
    Password2Empty,
    Password2Mismatch,
    // The user declined the decrypt confirmation: nothing is shown afterwards.
    Cancelled,
    // The user declined to go on after a look at the file's content (a wrong
    // password, or a file encrypted already or not at all): nothing is shown
    // afterwards; the file is untouched.
    ContentDeclined,
    // A password that cannot become key bytes (CommandOutcome::Password says
    // which); the file is untouched.
    PasswordCharacterRefused,
    PasswordTooLong,
    // Refused before anything is written: the file is marked unchangeable
    // (chattr +i or +a), or another program holds a lock on it.
    FileUnchangeable,
    FileBusy,
    // Another program changed the file while the work ran; the work is
    // dropped and the file stays as that program left it.
    FileChanged,
    // File-system failures; the message says what state the file is in.
    BackupFailed,
    ReadFailed,
    WriteFailed,
    RenameTargetFolderMissing,
    RenameTargetExists,
    RenameFailed,
    // The user stopped long work; the file is unchanged.
    WorkCancelled,
    Done,
    // An earlier run on the file was interrupted; this run finished that
    // run's work from its record and did nothing more.
    EarlierWorkCompleted,
    // The file is held open by another program (a write lease could not be
    // taken): refused before anything is written.
    FileOpenElsewhere,
    // Refused before anything is written: a file already stands under the
    // backup's name and the request does not allow replacing it.
    BackupExists,
};

struct CommandOutcome {
    OutcomeKind Kind = OutcomeKind::Done;
    std::u16string Message;  // empty for Cancelled and ContentDeclined: nothing to show
    // The password the outcome is about: 1 or 2; 0 for none.
    int Password = 0;
    // FileMissing: what the path names instead of a regular file.
    quarnix::PathKind PathKind = quarnix::PathKind::Missing;
    // What this run set right of an earlier run that was interrupted (a
    // window put back, leftovers removed); it also heads Message.
    std::u16string Settled;

    bool Succeeded() const { return Kind == OutcomeKind::Done; }
};

}  // namespace quarnix
