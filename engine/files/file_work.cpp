// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_work.h"

#include <cerrno>

#include "engine/files/content_confirmation.h"
#include "engine/files/file_io.h"
#include "engine/files/file_steps.h"
#include "engine/files/leftovers.h"
#include "engine/files/work_file.h"

namespace quarnix {
namespace {

// TopSecret: the whole file changes, through a new file where it can take
// the old one's place, else over the old one's own inode. A symbolic link
// stays a link: `target`, the file it points to, is rewritten.
WorkResult RewriteWhole(WorkFile& file, const std::string& target, Direction way,
                        const CipherKeys& keys, const CommandHooks& hooks) {
    // Replacing a file with several names would leave the others on the old content.
    if (file.Found().st_nlink == 1) {
        bool inPlaceInstead = false;
        auto result = RewriteThroughTemp(file, target, way, keys, hooks, &inPlaceInstead);
        if (!inPlaceInstead) {
            return result;
        }
    }
    return RewriteInPlace(file, target, way, keys, hooks);
}

// True when both paths name the same folder.
bool SameFolder(FileOps& files, const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return files.Stat(a, &first) == 0 && files.Stat(b, &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

WorkResult RunFileWork(FileOps& files, const FileWorkPlan& plan, Direction way,
                       const CipherKeys& keys, const CommandHooks& hooks, FileWorkReport* report) {
    WorkFile file(files, plan.Path);
    if (auto failed = file.Open()) {
        return failed;
    }
    // The file's real path: where its undo and recovery records stand.
    std::string target;
    if (const int resolved = files.RealPath(plan.Path, &target); resolved < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ResolvePath, resolved, {});
    }
    // An earlier run that was interrupted is settled first, so that a torn
    // file never becomes a backup nor is transformed again.
    if (auto failed = SettleLeftovers(file, target, plan.OtherBackupPaths, &report->Settled,
                                      &report->EarlierWorkCompleted)) {
        return failed;
    }
    if (report->EarlierWorkCompleted) {
        return std::nullopt;
    }
    if (auto failed = CheckRename(files, plan.Path, plan.RenamedPath)) {
        return failed;
    }
    if (!plan.BackupPath.empty() &&
        NameOf(plan.BackupPath).size() >
            static_cast<std::size_t>(files.NameMax(FolderOf(plan.BackupPath)))) {
        return Failure(OutcomeKind::BackupFailed, FailedStep::BackupName, ENAMETOOLONG,
                       plan.BackupPath);
    }
    if (auto declined = ConfirmContent(file, way, keys, hooks)) {
        return declined;
    }
    if (!plan.BackupPath.empty()) {
        // Beside a link in another folder, the backup is the owner's alone:
        // that folder's readers may not be the file's.
        const bool ownerOnly = !SameFolder(files, FolderOf(plan.BackupPath), FolderOf(target));
        if (auto failed = CopyToBackup(file, plan.BackupPath, ownerOnly, hooks)) {
            return failed;
        }
        report->BackupMade = true;
    }
    if (file.Length() > 0) {
        auto failed = keys.Level == Level::TopSecret
                          ? RewriteWhole(file, target, way, keys, hooks)
                          : RewriteWindow(file, target, way, keys, hooks);
        if (failed) {
            return failed;
        }
    }
    if (plan.RenamedPath == plan.Path) {
        return std::nullopt;
    }
    // Never give the marker to a file another program put in this one's place.
    if (auto changed = file.CheckStillAtPath()) {
        if (file.Length() > 0) {
            changed->State = changed->Kind == OutcomeKind::FileChanged
                                 ? FileState::TransformedMovedAway
                                 : FileState::TransformedNotRenamed;
        }
        return changed;
    }
    return RenameWithoutReplacing(files, plan.Path, plan.RenamedPath);
}

}  // namespace quarnix
