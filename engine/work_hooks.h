// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the file work shares with the commands above it: the phases it
// reports, the look at the content it offers, and the hooks a front end
// supplies.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/format/cipher.h"
#include "engine/format/level.h"

namespace quarnix {

// The long phases of a command's file work. Flush: a result is being written
// to disk, which can be neither measured nor cancelled part way; it is
// reported once, with done and total 0.
enum class WorkPhase { BackupCopy, Rewrite, Flush };

// The three views of a file that a look at its content compares.
enum class PreviewSide {
    Current,  // the file as it is
    Result,   // as the command's work would leave it
    Undone,   // as the opposite work would leave it (encrypt only)
};

// The start of a file as it is and as the command's work would leave it,
// worked out before anything touches the disk.
struct ContentPreview {
    Direction Way = Direction::Encrypt;
    quarnix::Level Level = quarnix::Level::Secret;
    std::u16string FilePath;
    // The path whose name says what the content should be: the path with
    // every level's marker taken out of its name (NameWithoutMarkers).
    std::u16string PromisedPath;
    std::uint64_t FileLength = 0;
    // The first bytes of the file, and the same bytes after the work: the
    // whole cipher window at Secret and Secretter, ContentPreviewLength bytes
    // at TopSecret (fewer for a shorter file).
    std::vector<std::uint8_t> Current;
    std::vector<std::uint8_t> Result;
    // The same bytes after the opposite work with the same passwords and
    // level: on encrypt, what the file was before, if these passwords
    // encrypted it already. Empty on decrypt.
    std::vector<std::uint8_t> Undone;
    // The periods of the passwords' key arrays (length + 1); 0 for password 2
    // below TopSecret. A mistyped character leaves its trace at one position
    // of each period.
    std::uint64_t Password1Period = 0;
    std::uint64_t Password2Period = 0;
    // Reads bytes.size() bytes from `offset` of one side of the file, anywhere
    // in it: a look may check what the first bytes must hold against what
    // lies further on. Valid only during the ConfirmContent call; may be
    // empty. False, with `bytes` undefined, for a range past the file's end,
    // a failed read, an Undone on decrypt, or once the look has read
    // ContentPreviewReadLimit bytes this way.
    std::function<bool(PreviewSide side, std::uint64_t offset, std::span<std::uint8_t> bytes)>
        ReadAt;
    // On decrypt at Secretter and TopSecret: how many other rotations one
    // mistyped character of the rotating password would have brought about
    // (engine/format/typo_rotations.h), and the result as the decryption
    // would leave it under rotation number `rotation` of those, with this
    // run's key stream. Valid and limited as ReadAt; may be empty.
    std::size_t OtherRotations = 0;
    std::function<bool(std::size_t rotation, std::uint64_t offset, std::span<std::uint8_t> bytes)>
        ReadRotated;
};

// As many bytes as Secret and Secretter change at most.
inline constexpr std::uint64_t ContentPreviewLength = CipherWindowLimit;

// The most bytes one look reads through ContentPreview::ReadAt, all sides together.
inline constexpr std::uint64_t ContentPreviewReadLimit = 1024 * 1024;

// What a front end supplies to a command. Every member may be left empty.
struct CommandHooks {
    // Asked first by DecryptCommand (Yes answers true). Empty: go ahead.
    std::function<bool()> ConfirmDecrypt;
    // Asked once the checks have passed and the file is open, before the
    // backup or anything else is written; not asked for an empty file. False
    // ends the command with ContentDeclined, the file untouched. Empty: go ahead.
    std::function<bool(const ContentPreview& preview)> ConfirmContent;
    // Bytes done of bytes to do in the current phase; called between chunks.
    std::function<void(WorkPhase phase, std::uint64_t done, std::uint64_t total)> Progress;
    // Polled between chunks; true stops the work with the file unchanged.
    std::function<bool()> CancelRequested;
    // Called once, at the moment the work can no longer be dropped: from here
    // on CancelRequested is not asked again and the command runs to its end
    // (and reports what it did). Not called when the work stops before it.
    std::function<void()> Committing;
};

}  // namespace quarnix
