// SPDX-License-Identifier: GPL-3.0-or-later
// Secret and Secretter: only the cipher window (at most 20481 bytes) changes,
// so it is rewritten in place, whatever the size of the file, under the cover
// of an undo record (window_journal.h): a power cut never leaves it torn.

#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/window_journal.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

// The window write failed: puts the old bytes back. Answers whether the file
// holds its old window again, on disk.
bool PutBack(FileOps& files, int fd, const std::vector<std::uint8_t>& old) {
    if (WriteFully(files, fd, old.data(), old.size(), 0) == 0 && files.Fdatasync(fd) == 0) {
        return true;
    }
    // The failed write may have changed nothing at all (a full disk, an error
    // at the flush): what the file holds now decides.
    std::vector<std::uint8_t> now(old.size());
    return ReadFully(files, fd, now.data(), now.size(), 0) == 0 && now == old;
}

}  // namespace

WorkResult RewriteWindow(WorkFile& file, const std::string& target, Direction way,
                         const CipherKeys& keys, const CommandHooks& hooks) {
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

    const std::string journal = target + Utf16ToUtf8(UndoSuffix);
    FailedStep step = FailedStep::NameRecovery;
    if (const int written = WriteJournal(files, journal, file.Found(), old, &step); written < 0) {
        return Failure(OutcomeKind::WriteFailed, step, written,
                       step == FailedStep::FlushFolder ? FolderOf(journal) : journal);
    }
    step = FailedStep::WriteFile;
    int error = WriteFully(files, fd, window.data(), window.size(), 0);
    if (error == 0) {
        step = FailedStep::FlushFile;
        error = files.Fdatasync(fd);
    }
    if (error < 0) {
        if (PutBack(files, fd, old) && DropJournal(files, journal) == 0) {
            return Failure(OutcomeKind::WriteFailed, step, error, {}, FileState::Untouched);
        }
        WorkFailure failure =
            Failure(OutcomeKind::WriteFailed, step, error, {}, FileState::AwaitingRollback);
        failure.OtherPath = journal;
        return failure;
    }
    // The set-id bits the write cleared, and their flush.
    if (RestoreMode(file)) {
        if (const int flushed = files.Fsync(fd); flushed < 0) {
            return Failure(OutcomeKind::WriteFailed, FailedStep::FlushFile, flushed, {},
                           FileState::TransformedNotRenamed);
        }
    }
    // The record goes, and its removal is on disk, before the marker rename:
    // a record left behind would otherwise name a file that is no longer there.
    if (const int dropped = DropJournal(files, journal); dropped < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::DropJournal, dropped, journal,
                       FileState::TransformedNotRenamed);
    }
    progress.Report(w);
    return std::nullopt;
}

}  // namespace quarnix
