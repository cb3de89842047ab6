// SPDX-License-Identifier: GPL-3.0-or-later
// Secret and Secretter: only the cipher window (at most 20481 bytes) changes,
// so it is rewritten in place, whatever the size of the file.

#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"

namespace quarnix {

WorkResult RewriteWindow(WorkFile& file, Direction way, const CipherKeys& keys,
                         const CommandHooks& hooks) {
    FileOps& files = file.files();
    const int fd = file.fd();
    const std::uint64_t w = CipherWindow(keys.Level, file.Length());
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, w);
    std::vector<std::uint8_t> old(w);
    const int read = ReadFully(files, fd, old.data(), old.size(), 0);
    if (read < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, read, {});
    }
    if (read > 0) {
        return ChangedByAnotherProgram();
    }
    std::vector<std::uint8_t> window(w);
    TransformImage(way, old, keys, window);
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    // Another program's work on the file since it was opened is kept, and
    // this one dropped.
    if (auto changed = file.CheckUnchanged()) {
        return changed;
    }
    progress.Committing();

    FailedStep step = FailedStep::WriteFile;
    int error = WriteFully(files, fd, window.data(), window.size(), 0);
    if (error == 0) {
        step = FailedStep::FlushFile;
        error = files.Fdatasync(fd);
    }
    if (error < 0) {
        // Put the old bytes back, so that the file is not left half written.
        const bool restored =
            WriteFully(files, fd, old.data(), old.size(), 0) == 0 && files.Fdatasync(fd) == 0;
        return Failure(OutcomeKind::WriteFailed, step, error, {},
                       restored ? FileState::Untouched : FileState::PartlyWritten);
    }
    // The set-id bits the write cleared, and their flush.
    if (RestoreMode(file)) {
        if (const int flushed = files.Fsync(fd); flushed < 0) {
            return Failure(OutcomeKind::WriteFailed, FailedStep::FlushFile, flushed, {},
                           FileState::TransformedNotRenamed);
        }
    }
    progress.Report(w);
    return std::nullopt;
}

}  // namespace quarnix
