// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/leftovers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>

#include "engine/files/file_io.h"
#include "engine/files/file_steps.h"
#include "engine/files/temp_file.h"
#include "engine/files/window_journal.h"
#include "engine/text_codec.h"
#include "engine/work_hooks.h"

namespace quarnix {
namespace {

// Removes the hidden temporary files made for any of `paths` that this user
// or the file's owner owns: no other run can be using them, since this one
// holds the file's lock. Each folder is read once.
void RemoveStaleTemps(const WorkFile& file, const std::vector<std::string>& paths,
                      std::vector<Leftover>* notes) {
    FileOps& files = file.files();
    std::map<std::string, std::set<std::string>> prefixes;  // folder: tags of names in it
    for (const std::string& path : paths) {
        prefixes[FolderOf(path)].insert(TempNamePrefix(NameOf(path)));
    }
    for (const auto& [folder, tags] : prefixes) {
        std::vector<std::string> names;
        if (files.ListFolder(folder, &names) < 0) {
            continue;  // a folder this user may not read holds no temporary file of ours
        }
        for (const std::string& name : names) {
            const std::size_t tagLength = name.size() - std::min<std::size_t>(name.size(), 6);
            if (name.size() <= 6 || tags.count(name.substr(0, tagLength)) == 0) {
                continue;
            }
            const std::string stale = folder + "/" + name;
            struct stat info {};
            if (files.Lstat(stale, &info) == 0 && S_ISREG(info.st_mode) &&
                (info.st_uid == ::geteuid() || info.st_uid == file.Found().st_uid) &&
                files.Unlink(stale) == 0) {
                notes->push_back({LeftoverKind::TempRemoved, stale});
            }
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
    std::vector<std::string> paths = backupPaths;
    paths.push_back(target);
    RemoveStaleTemps(file, paths, notes);
    if (!notes->empty()) {
        FlushFolder(files, FolderOf(target));
    }
    return std::nullopt;
}

}  // namespace quarnix
