// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outcomes a command answers, with the exact texts the front ends show.

#include <string>
#include <string_view>
#include <vector>

#include "engine/crypt_request.h"
#include "engine/files/work_failure.h"
#include "engine/format/cipher.h"
#include "engine/format/cipher_keys.h"

namespace quarnix {

// FileMissing, the four password refusals, Cancelled, ContentDeclined and Done.
CommandOutcome FixedOutcome(OutcomeKind kind);

// The outcome that answers the file work's failure of this kind.
OutcomeKind OutcomeKindOf(FailureKind kind);

// A password that cannot become a key array: which one, which character.
CommandOutcome KeyFailureOutcome(const CipherKeyFailure& failure, std::u16string_view password);

// What the failure message needs to know about the command.
struct FailureContext {
    std::u16string FilePath;
    Direction Way = Direction::Encrypt;
    std::u16string BackupPath;  // the finished backup; empty when none was made
};

// A file already stands at `backupPath`; the command's file is untouched.
CommandOutcome BackupExistsOutcome(std::u16string_view backupPath);

// A failed or cancelled file step.
CommandOutcome WorkFailureOutcome(const WorkFailure& failure, const FailureContext& context);

// An interrupted earlier run's work was finished instead of this run's work
// (SettledText says what was done).
CommandOutcome EarlierWorkOutcome(const FailureContext& context);

// The note added to a success when no write lease could be taken on the file.
std::u16string UnwatchedText(const FailureContext& context);

// What this run settled of an interrupted earlier run's leftovers, as
// sentences to put before its own message; empty when nothing.
std::u16string SettledText(const std::vector<Leftover>& settled, const FailureContext& context);

// The reason for an errno value, in Chinese (SystemReasonText), as UTF-16.
std::u16string ErrorText(int error);

}  // namespace quarnix
