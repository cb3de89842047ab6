// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_work.h"

#include <cerrno>
#include <functional>

#include "engine/files/content_confirmation.h"
#include "engine/files/file_io.h"
#include "engine/files/file_steps.h"
#include "engine/files/held_folder.h"
#include "engine/files/leftovers.h"
#include "engine/files/run_record.h"
#include "engine/files/work_file.h"

namespace quarnix {
namespace {

// TopSecret: the whole file changes, through a new file where it can take
// the old one's place, else over the old one's own inode.
WorkResult RewriteWhole(WorkFile& file, const RecordStart& start, RunRecord& record,
                        const CipherKeys& keys, const CommandHooks& hooks) {
    // Replacing a file with several names would leave the others on the old content.
    if (file.Found().st_nlink == 1) {
        bool inPlaceInstead = false;
        auto result = RewriteThroughTemp(file, start, record, keys, hooks, &inPlaceInstead);
        if (!inPlaceInstead) {
            return result;
        }
    }
    return RewriteInPlace(file, start, record, keys, hooks);
}

// True when both paths name the same folder.
bool SameFolder(FileOps& files, const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return files.Stat(a, &first) == 0 && files.Stat(b, &second) == 0 && SameFile(first, second);
}

// Resolves the open file's real path and holds its folder, where run records
// and temporary files stand; answers that path reached through the folder.
// The path must still name the open file: another program may have pointed a
// link elsewhere since the file was opened.
WorkResult HoldRealFolder(FileOps& files, const WorkFile& file, const std::string& path,
                          HeldFolder& realFolder, std::string* target) {
    std::string real;
    if (const int resolved = files.RealPath(path, &real); resolved < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ResolvePath, resolved, {});
    }
    if (const int held = realFolder.Hold(FolderOf(real)); held < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ResolvePath, held, {});
    }
    *target = realFolder.PathOf(NameOf(real));
    struct stat found {};
    const int looked = files.Lstat(*target, &found);
    if (looked < 0 && looked != -ENOENT && looked != -ENOTDIR) {
        return Failure(FailureKind::ReadFailed, FailedStep::ResolvePath, looked, {});
    }
    if (looked < 0 || !SameFile(found, file.Found())) {
        return ChangedByAnotherProgram();
    }
    return std::nullopt;
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
    report->Unwatched = !file.Watched();
    std::string target;
    if (auto failed = HoldRealFolder(files, file, path, realFolder, &target)) {
        return failed;
    }
    std::vector<std::string> backups;
    for (const std::string& each : plan.OtherBackupPaths) {
        backups.push_back(pathFolder.PathOf(NameOf(each)));
    }
    // An earlier run that was interrupted is settled first, so that a torn
    // file never becomes a backup nor is transformed again.
    const SettleContext settle{file, realFolder, pathFolder, plan.Path, path, target};
    Settlement settlement;
    auto settled = SettleLeftovers(settle, backups, &settlement);
    report->Settled = std::move(settlement.Notes);
    report->EarlierWorkCompleted = settlement.Finished;
    if (settled || settlement.Finished) {
        return settled;
    }
    // The marker goes into the name in the held folder; a path marked in a
    // folder's name leads elsewhere, as named.
    const std::string renamed = FolderOf(plan.RenamedPath) == FolderOf(plan.Path)
                                    ? pathFolder.PathOf(NameOf(plan.RenamedPath))
                                    : plan.RenamedPath;
    if (auto failed = CheckRename(files, path, plan.RenamedPath == plan.Path ? path : renamed)) {
        return failed;
    }
    // A rewrite keeps its run record, or its new file, beside the file.
    if (file.Length() > 0) {
        if (const int allowed = files.Access(realFolder.Path(), W_OK | X_OK); allowed < 0) {
            // Named as the user knows it, where it is the request's folder.
            const bool same = SameFolder(files, pathFolder.Path(), realFolder.Path());
            return Failure(FailureKind::WriteFailed, FailedStep::FolderReadOnly, allowed,
                           same ? pathFolder.Path() : realFolder.Path());
        }
    }
    const std::string backup =
        plan.BackupPath.empty() ? "" : pathFolder.PathOf(NameOf(plan.BackupPath));
    if (!backup.empty() && NameOf(backup).size() > LongestName(files, pathFolder.Path())) {
        return Failure(FailureKind::BackupFailed, FailedStep::BackupName, ENAMETOOLONG, backup);
    }
    // A backup already there is kept, unless the user said otherwise; one
    // that equals the file (an interrupted earlier run's) serves as it is.
    bool backupStands = false;
    if (!backup.empty() && !plan.ReplaceBackup) {
        struct stat standing {};
        if (files.Lstat(backup, &standing) == 0) {
            backupStands = BackupMatches(file, backup);
            if (!backupStands) {
                return Failure(FailureKind::BackupExists, FailedStep::BackupExists, EEXIST, backup);
            }
        }
    }
    if (auto declined = ConfirmContent(file, way, keys, hooks)) {
        return declined;
    }
    if (!backup.empty() && !backupStands) {
        // Beside a link in another folder, the backup is the owner's alone:
        // that folder's readers may not be the file's.
        const bool ownerOnly = !SameFolder(files, pathFolder.Path(), realFolder.Path());
        if (auto failed = CopyToBackup(file, backup, ownerOnly, hooks)) {
            return failed;
        }
    }
    report->BackupMade = !backup.empty();
    RunRecord record(files);
    const RecordStart start{realFolder.Path(), NameOf(target), plan.Path,
                            plan.RenamedPath,  keys.Level,     way};
    WorkResult failed;
    if (file.Length() > 0) {
        failed = keys.Level == Level::TopSecret ? RewriteWhole(file, start, record, keys, hooks)
                                                : RewriteWindow(file, start, record, keys, hooks);
        if (failed) {
            return failed;
        }
    }
    if (plan.RenamedPath != plan.Path) {
        // Never give the marker to a file another program put in this one's place.
        failed = file.CheckStillAtPath();
        if (failed && file.Length() > 0) {
            failed->State = failed->Kind == FailureKind::FileChanged
                                ? FileState::TransformedMovedAway
                                : FileState::TransformedNotRenamed;
        } else if (!failed) {
            failed = RenameWithoutReplacing(files, path, renamed);
        }
    }
    // The record goes last, once the rename is on disk: a cut before this
    // point leaves the next run a record to finish the work with.
    const std::string recordPath = record.Path();
    if (const int dropped = record.Drop(); dropped < 0 && !failed) {
        WorkFailure left = Failure(FailureKind::WriteFailed, FailedStep::DropRecord, dropped,
                                   recordPath, FileState::RecordLeft);
        left.OtherPath = recordPath;
        return left;
    }
    return failed;
}

}  // namespace

WorkResult RunFileWork(FileOps& files, const FileWorkPlan& plan, Direction way,
                       const CipherKeys& keys, const CommandHooks& hooks, FileWorkReport* report) {
    HeldFolder pathFolder(files);
    if (const int held = pathFolder.Hold(FolderOf(plan.Path)); held < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::OpenFile, held, {});
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

WorkResult SearchLevel(FileOps& files, const std::string& path,
                       const std::vector<CipherKeys>& candidates,
                       const std::function<bool(const ContentPreview&)>& fits,
                       LevelSearchReport* report) {
    HeldFolder pathFolder(files);
    if (const int held = pathFolder.Hold(FolderOf(path)); held < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::OpenFile, held, {});
    }
    const std::string opened = pathFolder.PathOf(NameOf(path));
    WorkFile file(files, path, opened);
    if (auto failed = file.Open()) {
        return failed;
    }
    HeldFolder realFolder(files);
    std::string target;
    if (auto failed = HoldRealFolder(files, file, opened, realFolder, &target)) {
        return failed;
    }
    // An interrupted earlier run's record knows the level; the command at it
    // settles that run first. Its file may be torn meanwhile: no look at it.
    std::vector<std::string> names;
    files.ListFolder(realFolder.Path(), &names);
    const SettleContext context{file, realFolder, pathFolder, path, opened, target};
    if (const auto pending = FindPendingRecord(context, names)) {
        report->Fitting = {pending->Level};
        report->FromRecord = true;
        return std::nullopt;
    }
    for (const CipherKeys& keys : candidates) {
        CommandHooks hooks;
        hooks.ConfirmContent = [&](const ContentPreview& preview) {
            if (fits(preview)) {
                report->Fitting.push_back(keys.Level);
            }
            return false;  // a look only
        };
        if (auto failed = ConfirmContent(file, Direction::Decrypt, keys, hooks);
            failed && failed->Kind != FailureKind::ContentDeclined) {
            return failed;
        }
    }
    return std::nullopt;
}

}  // namespace quarnix
