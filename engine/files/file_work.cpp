// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_work.h"

#include <cerrno>

#include "engine/files/content_confirmation.h"
#include "engine/files/file_io.h"
#include "engine/files/file_steps.h"
#include "engine/files/held_folder.h"
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
    return files.Stat(a, &first) == 0 && files.Stat(b, &second) == 0 && SameFile(first, second);
}

// The steps of a command, with its paths reached through its held folders.
WorkResult Work(FileOps& files, const FileWorkPlan& plan, const HeldFolder& pathFolder,
                Direction way, const CipherKeys& keys, const CommandHooks& hooks,
                FileWorkReport* report, HeldFolder& realFolder) {
    const std::string path = pathFolder.PathOf(NameOf(plan.Path));
    WorkFile file(files, plan.Path, path);
    if (auto failed = file.Open()) {
        return failed;
    }
    // The file's real path: where its undo and recovery records stand, held
    // too, and known to hold the file that is open.
    std::string real;
    if (const int resolved = files.RealPath(path, &real); resolved < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ResolvePath, resolved, {});
    }
    if (const int held = realFolder.Hold(FolderOf(real)); held < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ResolvePath, held, {});
    }
    const std::string target = realFolder.PathOf(NameOf(real));
    struct stat found {};
    const int looked = files.Lstat(target, &found);
    if (looked < 0 && looked != -ENOENT && looked != -ENOTDIR) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ResolvePath, looked, {});
    }
    if (looked < 0 || !SameFile(found, file.Found())) {
        return ChangedByAnotherProgram();
    }
    std::vector<std::string> backups;
    for (const std::string& each : plan.OtherBackupPaths) {
        backups.push_back(pathFolder.PathOf(NameOf(each)));
    }
    // An earlier run that was interrupted is settled first, so that a torn
    // file never becomes a backup nor is transformed again.
    if (auto failed = SettleLeftovers(file, target, backups, &report->Settled,
                                      &report->EarlierWorkCompleted)) {
        return failed;
    }
    if (report->EarlierWorkCompleted) {
        return std::nullopt;
    }
    // The marker goes into the name in the held folder; a path marked in a
    // folder's name leads elsewhere, as named.
    const std::string renamed = FolderOf(plan.RenamedPath) == FolderOf(plan.Path)
                                    ? pathFolder.PathOf(NameOf(plan.RenamedPath))
                                    : plan.RenamedPath;
    if (auto failed = CheckRename(files, path, plan.RenamedPath == plan.Path ? path : renamed)) {
        return failed;
    }
    const std::string backup =
        plan.BackupPath.empty() ? "" : pathFolder.PathOf(NameOf(plan.BackupPath));
    if (!backup.empty() &&
        NameOf(backup).size() > static_cast<std::size_t>(files.NameMax(pathFolder.Path()))) {
        return Failure(OutcomeKind::BackupFailed, FailedStep::BackupName, ENAMETOOLONG, backup);
    }
    if (!backup.empty() && !plan.ReplaceBackup) {
        struct stat standing {};
        if (files.Lstat(backup, &standing) == 0) {
            return Failure(OutcomeKind::BackupExists, FailedStep::BackupExists, EEXIST, backup);
        }
    }
    if (auto declined = ConfirmContent(file, way, keys, hooks)) {
        return declined;
    }
    if (!backup.empty()) {
        // Beside a link in another folder, the backup is the owner's alone:
        // that folder's readers may not be the file's.
        const bool ownerOnly = !SameFolder(files, pathFolder.Path(), realFolder.Path());
        if (auto failed = CopyToBackup(file, backup, ownerOnly, hooks)) {
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
    return RenameWithoutReplacing(files, path, renamed);
}

}  // namespace

WorkResult RunFileWork(FileOps& files, const FileWorkPlan& plan, Direction way,
                       const CipherKeys& keys, const CommandHooks& hooks, FileWorkReport* report) {
    HeldFolder pathFolder(files);
    if (const int held = pathFolder.Hold(FolderOf(plan.Path)); held < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::OpenFile, held, {});
    }
    HeldFolder realFolder(files);
    auto result = Work(files, plan, pathFolder, way, keys, hooks, report, realFolder);
    // Messages name the folders as the user knows them.
    const auto shown = [&](std::string& path) { path = pathFolder.Shown(realFolder.Shown(path)); };
    if (result) {
        shown(result->Path);
        shown(result->OtherPath);
    }
    for (Leftover& each : report->Settled) {
        shown(each.Path);
    }
    return result;
}

}  // namespace quarnix
