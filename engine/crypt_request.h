// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contract between the front ends (window, command line) and the engine:
// the protection levels, the request a front end hands over, and the outcome
// the engine hands back, complete with the text, title and icon to show.

#include <cstdint>
#include <string>

namespace quarnix {

enum class Level { Secret, Secretter, TopSecret };

// Everything a command takes from its front end, read once at the click.
struct CryptRequest {
    std::u16string FilePath;  // the path the file chooser returned; empty when none yet
    quarnix::Level Level = quarnix::Level::Secret;
    std::u16string Password1;
    std::u16string Password1Confirm;
    std::u16string Password2;         // read at TopSecret only
    std::u16string Password2Confirm;  // read at TopSecret only
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
    FileMissing,
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
    // A password that cannot become key bytes; the file is untouched.
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
    // An earlier run on the file was interrupted while it copied its result
    // over the file; this run completed that copy and did nothing more.
    EarlierWorkCompleted,
    // The file is held open by another program (a write lease could not be
    // taken): refused before anything is written.
    FileOpenElsewhere,
    // Refused before anything is written: a file already stands under the
    // backup's name and the request does not allow replacing it.
    BackupExists,
};

enum class OutcomeIcon { None, Critical, Exclamation };

// The password boxes a refusal may empty or focus, named after the window's boxes.
enum class PasswordBox { None, TxtPass1, TxtPass2, TxtPass3, TxtPass4 };

struct CommandOutcome {
    OutcomeKind Kind = OutcomeKind::Done;
    std::u16string Message;  // empty for Cancelled: nothing to show
    std::u16string Title;
    OutcomeIcon Icon = OutcomeIcon::None;
    PasswordBox BoxToEmpty = PasswordBox::None;
    PasswordBox BoxToFocus = PasswordBox::None;
    // What this run set right of an earlier run that was interrupted (a
    // window put back, leftovers removed); it also heads Message.
    std::u16string Settled;

    bool Succeeded() const { return Kind == OutcomeKind::Done; }
};

}  // namespace quarnix
