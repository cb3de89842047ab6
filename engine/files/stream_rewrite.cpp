// TopSecret: the whole file changes. The new content is streamed into a
// temporary file beside the target and renamed over it once it is on disk, so
// that the file is at every moment wholly old or wholly new.

#include "file_io.h"
#include "file_steps.h"
#include "stream_transform.h"
#include "temp_file.h"

namespace quarnix {
namespace {

// Gives the temporary file the target's owner, group (where allowed) and
// permission bits. The owner first: changing it clears the set-id bits.
int CopyOwnerAndMode(FileOps& files, int fd, const struct stat& info) {
    if (files.Fchown(fd, info.st_uid, info.st_gid) < 0) {
        // Not the owner's to give away: keep at least the group when allowed.
        files.Fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    }
    return files.Fchmod(fd, info.st_mode & 07777);
}

// The target is still the file that was opened and has its length.
bool Unchanged(FileOps& files, int fd, const struct stat& info, const std::string& target) {
    struct stat now {};
    struct stat named {};
    return files.Fstat(fd, &now) == 0 && now.st_size == info.st_size &&
           files.Stat(target, &named) == 0 && named.st_dev == info.st_dev &&
           named.st_ino == info.st_ino;
}

}  // namespace

WorkResult RewriteThroughTemp(FileOps& files, int fd, const struct stat& info,
                              const std::string& target, Direction way, const CipherKeys& keys,
                              const CommandHooks& hooks) {
    const auto fileLength = static_cast<std::uint64_t>(info.st_size);
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, fileLength);
    const std::string folder = FolderOf(target);
    TempFile temp(files);
    if (const int created = temp.Create(folder); created < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::CreateTemp, created, folder);
    }
    if (const int moded = CopyOwnerAndMode(files, temp.fd(), info); moded < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::SetMode, moded, {});
    }

    if (auto failed =
            StreamTransformed(files, fd, fileLength, temp.fd(), folder, way, keys, progress)) {
        return failed;
    }
    if (!Unchanged(files, fd, info, target)) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::FileChanged, 0, {});
    }
    FailedStep step = FailedStep::FlushTemp;
    if (const int replaced = temp.Replace(target, &step); replaced < 0) {
        if (step == FailedStep::FlushFolder) {
            return Failure(OutcomeKind::WriteFailed, step, replaced, folder,
                           FileState::TransformedNotRenamed);
        }
        return Failure(OutcomeKind::WriteFailed, step, replaced,
                       step == FailedStep::FlushTemp ? folder : std::string{});
    }
    return std::nullopt;
}

}  // namespace quarnix
