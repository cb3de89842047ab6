// SPDX-License-Identifier: GPL-3.0-or-later
// The marker rename: checked before anything is written, so that a rename
// bound to fail refuses the command with the file untouched; and done without
// ever replacing a file that has the new name meanwhile.

#include <unistd.h>

#include <cerrno>
#include <climits>

#include "engine/files/file_io.h"
#include "engine/files/file_steps.h"

namespace quarnix {
namespace {

// The file system or kernel cannot refuse to replace: renameat2 lacks the flag.
bool NoReplaceUnsupported(int error) {
    return error == -EINVAL || error == -ENOSYS || error == -EOPNOTSUPP;
}

// Without RENAME_NOREPLACE: a hard link cannot replace either, so link the
// new name and drop the old one. Where the file system has no hard links
// either, check for the target just before a plain rename.
int RenameByLink(FileOps& files, const std::string& from, const std::string& to) {
    const int linked = files.Link(from, to);
    if (linked == 0) {
        const int unlinked = files.Unlink(from);
        if (unlinked < 0) {
            files.Unlink(to);
        }
        return unlinked;
    }
    if (linked != -EPERM && linked != -EOPNOTSUPP && linked != -EMLINK) {
        return linked;
    }
    struct stat existing {};
    const int found = files.Lstat(to, &existing);
    if (found == 0) {
        return -EEXIST;
    }
    if (found != -ENOENT) {
        return found;
    }
    return files.Rename(from, to);
}

WorkFailure RenameFailure(FailureKind kind, int error, const std::string& from,
                          const std::string& to, FileState state) {
    WorkFailure failure = Failure(kind, FailedStep::Rename, error, from, state);
    failure.OtherPath = to;
    return failure;
}

// 0 when this user may take the entry `path` out of its folder and put one
// into `folder`, else the -errno a rename would give.
int MayRename(FileOps& files, const std::string& path, const std::string& folder) {
    const std::string from = FolderOf(path);
    for (const std::string& each : {from, folder}) {
        if (const int allowed = files.Access(each, W_OK | X_OK); allowed < 0) {
            return allowed;
        }
    }
    // In a sticky folder (such as /tmp) only the entry's owner, the folder's
    // owner or root may move an entry out.
    struct stat fromInfo {};
    struct stat entry {};
    if (files.Stat(from, &fromInfo) == 0 && (fromInfo.st_mode & S_ISVTX) != 0 &&
        files.Lstat(path, &entry) == 0) {
        const uid_t user = ::geteuid();
        if (user != 0 && user != entry.st_uid && user != fromInfo.st_uid) {
            return -EPERM;
        }
    }
    return 0;
}

}  // namespace

WorkResult CheckRename(FileOps& files, const std::string& from, const std::string& to) {
    if (from == to) {
        return std::nullopt;
    }
    const auto refuse = [&](FailureKind kind, int error) {
        return RenameFailure(kind, error, from, to, FileState::Untouched);
    };
    const std::string folder = FolderOf(to);
    struct stat folderInfo {};
    const int found = files.Stat(folder, &folderInfo);
    if (found == -ENOENT || found == -ENOTDIR || (found == 0 && !S_ISDIR(folderInfo.st_mode))) {
        return refuse(FailureKind::RenameTargetFolderMissing, ENOENT);
    }
    if (found < 0) {
        return refuse(FailureKind::RenameFailed, found);
    }
    if (NameOf(to).size() > LongestName(files, folder) || to.size() >= PATH_MAX) {
        return refuse(FailureKind::RenameFailed, ENAMETOOLONG);
    }
    struct stat existing {};
    if (const int taken = files.Lstat(to, &existing); taken != -ENOENT) {
        return taken == 0 ? refuse(FailureKind::RenameTargetExists, EEXIST)
                          : refuse(FailureKind::RenameFailed, taken);
    }
    if (const int allowed = MayRename(files, from, folder); allowed < 0) {
        return refuse(FailureKind::RenameFailed, allowed);
    }
    return std::nullopt;
}

WorkResult RenameWithoutReplacing(FileOps& files, const std::string& from, const std::string& to) {
    if (from == to) {
        return std::nullopt;
    }
    int renamed = files.RenameNoReplace(from, to);
    if (NoReplaceUnsupported(renamed)) {
        renamed = RenameByLink(files, from, to);
    }
    if (renamed == 0) {
        // The name is changed; flushing the folders only makes it durable sooner.
        FlushFolder(files, FolderOf(to));
        if (FolderOf(from) != FolderOf(to)) {
            FlushFolder(files, FolderOf(from));
        }
        return std::nullopt;
    }
    FailureKind kind = FailureKind::RenameFailed;
    struct stat source {};
    if (renamed == -EEXIST || renamed == -ENOTEMPTY) {
        kind = FailureKind::RenameTargetExists;
    } else if ((renamed == -ENOENT || renamed == -ENOTDIR) && files.Lstat(from, &source) == 0) {
        kind = FailureKind::RenameTargetFolderMissing;
    }
    return RenameFailure(kind, renamed, from, to, FileState::TransformedNotRenamed);
}

}  // namespace quarnix
