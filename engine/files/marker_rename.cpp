// The marker rename: never replaces a file that already has the new name.

#include <cerrno>

#include "file_io.h"
#include "file_steps.h"

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

}  // namespace

WorkResult RenameWithoutReplacing(FileOps& files, const std::string& from, const std::string& to) {
    if (from == to) {
        return std::nullopt;
    }
    int renamed = files.RenameNoReplace(from, to);
    if (NoReplaceUnsupported(renamed)) {
        renamed = RenameByLink(files, from, to);
    }
    if (renamed == 0) {
        // The name is changed; flushing the folder only makes it durable sooner.
        FlushFolder(files, FolderOf(to));
        return std::nullopt;
    }
    OutcomeKind kind = OutcomeKind::RenameFailed;
    struct stat source {};
    if (renamed == -EEXIST || renamed == -ENOTEMPTY) {
        kind = OutcomeKind::RenameTargetExists;
    } else if ((renamed == -ENOENT || renamed == -ENOTDIR) && files.Lstat(from, &source) == 0) {
        kind = OutcomeKind::RenameTargetFolderMissing;
    }
    WorkFailure failure =
        Failure(kind, FailedStep::Rename, renamed, from, FileState::TransformedNotRenamed);
    failure.OtherPath = to;
    return failure;
}

}  // namespace quarnix
