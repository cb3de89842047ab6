// SPDX-License-Identifier: GPL-3.0-or-later
// The encrypt and decrypt commands: the checks in their fixed order, then the
// file work, each failure answered with its own outcome.

#include "engine/commands.h"

#include "engine/files/file_ops.h"
#include "engine/files/file_work.h"
#include "engine/format/cipher.h"
#include "engine/format/cipher_keys.h"
#include "engine/format/level_marker.h"
#include "engine/outcome_texts.h"
#include "engine/path_kind.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

// The refusals, in their order; nullopt when the request passes them all.
std::optional<CommandOutcome> Refusal(FileOps& files, const CryptRequest& request) {
    // Only a regular file (through symbolic links) is worked on; whether it
    // can be read and written, opening it tells.
    const PathKind kind = KindOfPath(files, Utf16ToUtf8(request.FilePath));
    if (kind != PathKind::RegularFile && kind != PathKind::NotReadable) {
        CommandOutcome missing = FixedOutcome(OutcomeKind::FileMissing);
        missing.PathKind = kind;
        return missing;
    }
    const auto refuse = [](OutcomeKind refusal) { return FixedOutcome(refusal); };
    if (request.Password1.empty()) {
        return refuse(OutcomeKind::Password1Empty);
    }
    if (!(request.Password1 == request.Password1Confirm)) {
        return refuse(OutcomeKind::Password1Mismatch);
    }
    if (request.Level == Level::TopSecret) {
        if (request.Password2.empty()) {
            return refuse(OutcomeKind::Password2Empty);
        }
        if (!(request.Password2 == request.Password2Confirm)) {
            return refuse(OutcomeKind::Password2Mismatch);
        }
    }
    return std::nullopt;
}

CommandOutcome RunCommand(Direction way, const CryptRequest& request, const CommandHooks& hooks,
                          FileOps* givenFiles) {
    FileOps& files = givenFiles != nullptr ? *givenFiles : SystemFileOps();
    if (way == Direction::Decrypt && hooks.ConfirmDecrypt && !hooks.ConfirmDecrypt()) {
        return FixedOutcome(OutcomeKind::Cancelled);
    }
    if (auto refusal = Refusal(files, request)) {
        return *refusal;
    }
    // The key material comes before the backup, so that a password that
    // cannot become a key leaves no trace on disk.
    CipherKeyFailure keyFailure;
    const auto keys =
        MakeCipherKeys(request.Level, request.Password1, request.Password2, &keyFailure);
    if (!keys) {
        return KeyFailureOutcome(keyFailure,
                                 keyFailure.Password == 1 ? request.Password1 : request.Password2);
    }
    FileWorkPlan plan;
    plan.Path = Utf16ToUtf8(request.FilePath);
    const std::u16string backup = BackupPath(request.FilePath, way == Direction::Encrypt);
    if (request.MakeBackup) {
        plan.BackupPath = Utf16ToUtf8(backup);
    }
    plan.RenamedPath = Utf16ToUtf8(RenamedPath(request, way == Direction::Encrypt));
    for (const bool encrypt : {true, false}) {
        plan.OtherBackupPaths.push_back(Utf16ToUtf8(BackupPath(request.FilePath, encrypt)));
    }
    plan.ReplaceBackup = request.ReplaceBackup;
    FileWorkReport report;
    const auto failed = RunFileWork(files, plan, way, *keys, hooks, &report);
    const FailureContext context{request.FilePath, way, report.BackupMade ? backup : u""};
    const bool backupStands = failed && failed->Kind == FailureKind::BackupExists;
    CommandOutcome outcome = backupStands                  ? BackupExistsOutcome(backup)
                             : failed                      ? WorkFailureOutcome(*failed, context)
                             : report.EarlierWorkCompleted ? EarlierWorkOutcome(context)
                                                           : FixedOutcome(OutcomeKind::Done);
    // What an interrupted earlier run left and this one settled comes first.
    outcome.Settled = SettledText(report.Settled, context);
    outcome.Message = outcome.Settled + outcome.Message;
    if (outcome.Succeeded() && report.Unwatched) {
        outcome.Message += u"\n" + UnwatchedText(context);
    }
    return outcome;
}

}  // namespace

std::u16string BackupPath(std::u16string_view filePath, bool encrypt) {
    return std::u16string(filePath) + (encrypt ? u".备份" : u".BAK");
}

std::u16string RenamedPath(const CryptRequest& request, bool encrypt) {
    if (!request.MarkFile) {
        return request.FilePath;
    }
    if (request.MarkNameOnly) {
        return encrypt ? MarkLastPart(request.FilePath, request.Level)
                       : UnmarkLastPart(request.FilePath, request.Level);
    }
    return encrypt ? MarkFileName(request.FilePath, request.Level)
                   : UnmarkFileName(request.FilePath, request.Level);
}

CommandOutcome EncryptCommand(const CryptRequest& request, const CommandHooks& hooks,
                              FileOps* files) {
    return RunCommand(Direction::Encrypt, request, hooks, files);
}

CommandOutcome DecryptCommand(const CryptRequest& request, const CommandHooks& hooks,
                              FileOps* files) {
    return RunCommand(Direction::Decrypt, request, hooks, files);
}

LevelFound FindLevel(const CryptRequest& request,
                     const std::function<bool(const ContentPreview& preview)>& fits,
                     FileOps* givenFiles) {
    FileOps& files = givenFiles != nullptr ? *givenFiles : SystemFileOps();
    LevelFound found;
    found.Refusal = FixedOutcome(OutcomeKind::Done);
    CryptRequest checked = request;
    checked.Level = request.Password2.empty() ? Level::Secret : Level::TopSecret;
    if (auto refusal = Refusal(files, checked)) {
        found.Refusal = *refusal;
        return found;
    }
    std::vector<CipherKeys> candidates;
    for (const Level level : {Level::Secret, Level::Secretter, Level::TopSecret}) {
        if (level == Level::TopSecret && request.Password2.empty()) {
            break;
        }
        // A password that cannot become a key rules its level out.
        if (auto keys = MakeCipherKeys(level, request.Password1, request.Password2)) {
            candidates.push_back(std::move(*keys));
        }
    }
    LevelSearchReport report;
    if (auto failed =
            SearchLevel(files, Utf16ToUtf8(request.FilePath), candidates, fits, &report)) {
        found.Refusal = WorkFailureOutcome(*failed, {request.FilePath, Direction::Decrypt, u""});
        return found;
    }
    found.FromRecord = report.FromRecord;
    if (report.Fitting.size() == 1) {
        found.Level = report.Fitting.front();
    }
    return found;
}

}  // namespace quarnix
