// Secret and Secretter: only the cipher window (at most 20481 bytes) changes,
// so it is rewritten in place, whatever the size of the file.

#include <vector>

#include "file_io.h"
#include "file_steps.h"

namespace quarnix {

WorkResult RewriteWindow(FileOps& files, int fd, std::uint64_t fileLength, Direction way,
                         const CipherKeys& keys, const CommandHooks& hooks) {
    const std::uint64_t w = CipherWindow(keys.Level, fileLength);
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, w);
    std::vector<std::uint8_t> old(w);
    const int read = ReadFully(files, fd, old.data(), old.size(), 0);
    if (read < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, read, {});
    }
    if (read > 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::FileChanged, 0, {});
    }
    std::vector<std::uint8_t> window(w);
    TransformImage(way, old, keys, window);
    if (progress.CancelRequested()) {
        return CancelledWork();
    }

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
    progress.Report(w);
    return std::nullopt;
}

}  // namespace quarnix
