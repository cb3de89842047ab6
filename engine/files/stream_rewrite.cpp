// SPDX-License-Identifier: GPL-3.0-or-later
// TopSecret: the whole file changes. The new content is streamed into a
// temporary file beside the target and renamed over it once it is on disk, so
// that the file is at every moment wholly old or wholly new. The new file takes
// everything that decides who may read the old one; where it cannot, the old
// file's own inode is rewritten instead.

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/stream_transform.h"
#include "engine/files/temp_file.h"

namespace quarnix {

WorkResult RewriteThroughTemp(WorkFile& file, const std::string& target, Direction way,
                              const CipherKeys& keys, const CommandHooks& hooks,
                              bool* inPlaceInstead) {
    FileOps& files = file.files();
    *inPlaceInstead = false;
    const std::string folder = FolderOf(target);
    TempFile temp(files);
    if (const int created = temp.Create(folder, NameOf(target)); created < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::CreateTemp, created, folder);
    }
    // Nobody else can open the new file before it has its name; the lock then
    // keeps the file held for the rest of the command.
    LockForWork(files, temp.fd());
    if (!CarryOverAll(file, temp.fd(), target)) {
        *inPlaceInstead = true;
        return std::nullopt;
    }

    const PhaseProgress progress(hooks, WorkPhase::Rewrite, file.Length());
    if (auto failed = StreamTransformed(files, file.fd(), file.Length(), temp.fd(), folder, way,
                                        keys, progress, false)) {
        return failed;
    }
    if (const int moded = GiveAccess(file, temp.fd(), target); moded < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::SetMode, moded, {});
    }
    progress.Flushing();
    if (const int flushed = temp.Flush(); flushed < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::FlushTemp, flushed, folder);
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    // The last moment to notice another program's work on the file before the
    // new content replaces it: that work is kept and this one dropped.
    if (auto changed = file.CheckUnchanged()) {
        return changed;
    }
    progress.Committing();
    FailedStep step = FailedStep::ReplaceFile;
    if (const int replaced = temp.Replace(target, &step); replaced < 0) {
        if (step == FailedStep::FlushFolder) {
            file.Adopt(temp.Release());
            return Failure(OutcomeKind::WriteFailed, step, replaced, folder,
                           FileState::TransformedNotRenamed);
        }
        return Failure(OutcomeKind::WriteFailed, step, replaced, {});
    }
    if (const int adopted = file.Adopt(temp.Release()); adopted < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, adopted, {},
                       FileState::TransformedNotRenamed);
    }
    return std::nullopt;
}

}  // namespace quarnix
