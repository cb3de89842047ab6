// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_work.h"

#include "engine/files/content_confirmation.h"
#include "engine/files/file_steps.h"
#include "engine/files/work_file.h"

namespace quarnix {
namespace {

// TopSecret: the whole file changes, through a new file where it can take
// the old one's place, else over the old one's own inode.
WorkResult RewriteWhole(WorkFile& file, Direction way, const CipherKeys& keys,
                        const CommandHooks& hooks) {
    // A symbolic link stays a link: the file it points to is rewritten.
    std::string target;
    if (const int resolved = file.files().RealPath(file.Path(), &target); resolved < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ResolvePath, resolved, {});
    }
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

}  // namespace

WorkResult RunFileWork(FileOps& files, const FileWorkPlan& plan, Direction way,
                       const CipherKeys& keys, const CommandHooks& hooks, bool* backupMade) {
    WorkFile file(files, plan.Path);
    if (auto failed = file.Open()) {
        return failed;
    }
    if (auto failed = CheckRename(files, plan.Path, plan.RenamedPath)) {
        return failed;
    }
    if (auto declined = ConfirmContent(file, way, keys, hooks)) {
        return declined;
    }
    if (!plan.BackupPath.empty()) {
        if (auto failed = CopyToBackup(file, plan.BackupPath, hooks)) {
            return failed;
        }
        *backupMade = true;
    }
    if (file.Length() > 0) {
        auto failed = keys.Level == Level::TopSecret ? RewriteWhole(file, way, keys, hooks)
                                                     : RewriteWindow(file, way, keys, hooks);
        if (failed) {
            return failed;
        }
    }
    if (plan.RenamedPath == plan.Path) {
        return std::nullopt;
    }
    // Never give the marker to a file another program put in this one's place.
    if (auto changed = file.CheckStillAtPath()) {
        if (changed->Kind != OutcomeKind::FileChanged) {
            changed->State = FileState::TransformedNotRenamed;
        }
        return changed;
    }
    return RenameWithoutReplacing(files, plan.Path, plan.RenamedPath);
}

}  // namespace quarnix
