// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/leftovers.h"

#include <fcntl.h>
#include <unistd.h>

#include "engine/files/file_io.h"
#include "engine/files/file_steps.h"
#include "engine/files/temp_file.h"
#include "engine/files/window_journal.h"
#include "engine/text_codec.h"
#include "engine/work_hooks.h"

namespace quarnix {
namespace {

// Removes the hidden temporary files made for `path` that this user owns: no
// other run can be using them, since this one holds the file's lock.
void RemoveStaleTemps(FileOps& files, const std::string& path, std::vector<Leftover>* notes) {
    const std::string folder = FolderOf(path);
    const std::string prefix = TempNamePrefix(NameOf(path));
    std::vector<std::string> names;
    if (files.ListFolder(folder, &names) < 0) {
        return;  // a folder this user may not read holds no temporary file of ours
    }
    for (const std::string& name : names) {
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string stale = folder + "/" + name;
        struct stat info {};
        if (files.Lstat(stale, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            files.Unlink(stale) == 0) {
            notes->push_back({LeftoverKind::TempRemoved, stale});
        }
    }
}

// Opens the recovery file of this user or the file's owner, as long as the
// file, that a run left when it was interrupted: the copy over the file from
// it had begun. -1 when there is none.
int OpenRecoveryFor(FileOps& files, const WorkFile& file, const std::string& recovery) {
    const int fd = files.Open(recovery, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (files.Fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        (info.st_uid == ::geteuid() || info.st_uid == file.Found().st_uid) &&
        info.st_size == file.Found().st_size) {
        return fd;
    }
    files.Close(fd);
    return -1;
}

}  // namespace

WorkResult SettleLeftovers(WorkFile& file, const std::string& target,
                           const std::vector<std::string>& backupPaths,
                           std::vector<Leftover>* notes, bool* finished) {
    FileOps& files = file.files();
    *finished = false;
    const std::string journal = target + Utf16ToUtf8(UndoSuffix);
    JournalFound found = JournalFound::None;
    if (auto failed = ReplayJournal(file, journal, &found)) {
        failed->OtherPath = journal;
        return failed;
    }
    if (found == JournalFound::RolledBack) {
        notes->push_back({LeftoverKind::RolledBack, journal});
    } else if (found == JournalFound::Unused) {
        notes->push_back({LeftoverKind::TempRemoved, journal});
    }
    const std::string recovery = target + Utf16ToUtf8(RecoverySuffix);
    if (const int from = OpenRecoveryFor(files, file, recovery); from >= 0) {
        OwnedFd owned(files, from);
        if (auto failed = FinishCopyBack(file, from, recovery)) {
            return failed;
        }
        notes->push_back({LeftoverKind::CopyCompleted, recovery});
        *finished = true;
    }
    RemoveStaleTemps(files, target, notes);
    for (const std::string& backup : backupPaths) {
        RemoveStaleTemps(files, backup, notes);
    }
    if (!notes->empty()) {
        FlushFolder(files, FolderOf(target));
    }
    return std::nullopt;
}

}  // namespace quarnix
