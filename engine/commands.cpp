// The encrypt and decrypt commands: the checks in their fixed order, then the
// file work, each failure answered with its own outcome.

#include "commands.h"

#include <fcntl.h>

#include "engine/format/cipher.h"
#include "engine/format/cipher_keys.h"
#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"
#include "engine/files/file_steps.h"
#include "engine/format/level_marker.h"
#include "outcome_texts.h"
#include "text_codec.h"

namespace quarnix {
namespace {

// True only for an existing regular file (through symbolic links): an empty
// path, a folder or a device counts as missing.
bool FileExists(FileOps& files, const std::u16string& path) {
    struct stat info {};
    return !path.empty() && files.Stat(Utf16ToUtf8(path), &info) == 0 && S_ISREG(info.st_mode);
}

// The refusals, in their order; nullopt when the request passes them all.
std::optional<OutcomeKind> Refusal(FileOps& files, const CryptRequest& request) {
    if (!FileExists(files, request.FilePath)) {
        return OutcomeKind::FileMissing;
    }
    if (request.Password1.empty()) {
        return OutcomeKind::Password1Empty;
    }
    if (request.Password1 != request.Password1Confirm) {
        return OutcomeKind::Password1Mismatch;
    }
    if (request.Level == Level::TopSecret) {
        if (request.Password2.empty()) {
            return OutcomeKind::Password2Empty;
        }
        if (request.Password2 != request.Password2Confirm) {
            return OutcomeKind::Password2Mismatch;
        }
    }
    return std::nullopt;
}

// Backup, rewrite and marker rename of a request that passed the checks.
// `backupPath` receives the backup's path once it is complete.
WorkResult FileWork(FileOps& files, const CryptRequest& request, Direction way,
                    const CipherKeys& keys, const CommandHooks& hooks, std::u16string* backupPath) {
    const std::string path = Utf16ToUtf8(request.FilePath);
    // Opening for writing up front refuses a read-only file before anything happens.
    OwnedFd file(files, files.Open(path, O_RDWR, 0));
    if (file.get() < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::OpenFile, file.get(), {});
    }
    struct stat info {};
    if (const int found = files.Fstat(file.get(), &info); found < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, found, {});
    }
    const auto fileLength = static_cast<std::uint64_t>(info.st_size);
    std::string target;
    if (keys.Level == Level::TopSecret && fileLength > 0) {
        // A symbolic link stays a link: the file it points to is rewritten.
        if (const int resolved = files.RealPath(path, &target); resolved < 0) {
            return Failure(OutcomeKind::ReadFailed, FailedStep::ResolvePath, resolved, {});
        }
    }

    if (request.MakeBackup) {
        const std::u16string backup =
            request.FilePath +
            (way == Direction::Encrypt ? EncryptBackupSuffix : DecryptBackupSuffix);
        if (auto failed = CopyToBackup(files, file.get(), fileLength, info.st_mode,
                                       Utf16ToUtf8(backup), hooks)) {
            return failed;
        }
        *backupPath = backup;
    }

    if (fileLength > 0) {
        WorkResult rewritten;
        if (keys.Level != Level::TopSecret) {
            rewritten = RewriteWindow(files, file.get(), fileLength, way, keys, hooks);
        } else if (info.st_nlink > 1) {
            // Replacing the file would leave its other links on the old content.
            rewritten = RewriteInPlace(files, file.get(), info, target, way, keys, hooks);
        } else {
            rewritten = RewriteThroughTemp(files, file.get(), info, target, way, keys, hooks);
        }
        if (rewritten) {
            return rewritten;
        }
    }
    file.Close();

    if (request.MarkFile) {
        const std::u16string renamed = way == Direction::Encrypt
                                           ? MarkFileName(request.FilePath, request.Level)
                                           : UnmarkFileName(request.FilePath, request.Level);
        return RenameWithoutReplacing(files, path, Utf16ToUtf8(renamed));
    }
    return std::nullopt;
}

CommandOutcome RunCommand(Direction way, const CryptRequest& request, const CommandHooks& hooks,
                          FileOps* givenFiles) {
    FileOps& files = givenFiles != nullptr ? *givenFiles : SystemFileOps();
    if (way == Direction::Decrypt && hooks.ConfirmDecrypt && !hooks.ConfirmDecrypt()) {
        return FixedOutcome(OutcomeKind::Cancelled);
    }
    if (const auto refusal = Refusal(files, request)) {
        return FixedOutcome(*refusal);
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
    FailureContext context{request.FilePath, way, {}};
    if (const auto failed = FileWork(files, request, way, *keys, hooks, &context.BackupPath)) {
        return WorkFailureOutcome(*failed, context);
    }
    return FixedOutcome(OutcomeKind::Done);
}

}  // namespace

CommandOutcome EncryptCommand(const CryptRequest& request, const CommandHooks& hooks,
                              FileOps* files) {
    return RunCommand(Direction::Encrypt, request, hooks, files);
}

CommandOutcome DecryptCommand(const CryptRequest& request, const CommandHooks& hooks,
                              FileOps* files) {
    return RunCommand(Direction::Decrypt, request, hooks, files);
}

}  // namespace quarnix
