// SPDX-License-Identifier: GPL-3.0-or-later
// Secret and Secretter: only the cipher window (at most 20481 bytes) changes,
// so it is rewritten in place, whatever the size of the file, under the cover
// of a run record (run_record.h): a power cut never leaves it torn.

#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/record_units.h"

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

// Writes the record of the window: the encrypted side as its body, and the
// hashes of every page before and after.
WorkResult SealWindowRecord(const WorkFile& file, const RecordStart& start, RunRecord& record,
                            const std::vector<std::uint8_t>& old,
                            const std::vector<std::uint8_t>& window) {
    FileOps& files = file.files();
    const RecordHead head = start.Head(RecordKind::Window, window.size());
    if (const int begun = record.Begin(file, start.Folder, start.ForName, head); begun < 0) {
        return Failure(FailureKind::WriteFailed, FailedStep::CreateRecord, begun, start.Folder);
    }
    std::vector<std::uint64_t> before;
    std::vector<std::uint64_t> after;
    for (auto [bytes, hashes] : {std::pair{&old, &before}, std::pair{&window, &after}}) {
        UnitHasher hasher(record.Head(), hashes);
        hasher.Add(*bytes);
        hasher.Finish();
    }
    std::vector<UnitHashes> table(before.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = {before[i], after[i]};
    }
    const std::vector<std::uint8_t>& body = record.Head().BodyIsAfter() ? window : old;
    FailedStep step = FailedStep::WriteRecord;
    int result = WriteFully(files, record.fd(), body.data(), body.size(),
                            static_cast<std::int64_t>(record.BodyOffset()));
    if (result == 0) {
        result = record.Seal(table, &step);
    } else {
        record.Drop();
    }
    if (result < 0) {
        return Failure(FailureKind::WriteFailed, step, result, start.Folder);
    }
    return std::nullopt;
}

}  // namespace

WorkResult RewriteWindow(WorkFile& file, const RecordStart& start, RunRecord& record,
                         const CipherKeys& keys, const CommandHooks& hooks) {
    FileOps& files = file.files();
    const int fd = file.fd();
    const std::uint64_t w = CipherWindow(keys.Level, file.Length());
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, w);
    std::vector<std::uint8_t> old(w);
    const int read = ReadFully(files, fd, old.data(), old.size(), 0);
    if (read < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, read, {});
    }
    if (read > 0) {
        return ChangedByAnotherProgram();
    }
    std::vector<std::uint8_t> window(w);
    TransformImage(start.Way, old, keys, window);
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    if (auto failed = SealWindowRecord(file, start, record, old, window)) {
        return failed;
    }
    if (auto dropped = LastChanceToDrop(file, progress, &record)) {
        return dropped;
    }

    FailedStep step = FailedStep::WriteFile;
    int error = WriteFully(files, fd, window.data(), window.size(), 0);
    if (error == 0) {
        step = FailedStep::FlushFile;
        error = files.Fdatasync(fd);
    }
    if (error < 0) {
        const std::string recordPath = record.Path();
        if (PutBack(files, fd, old) && record.Drop() == 0) {
            return Failure(FailureKind::WriteFailed, step, error, {}, FileState::Untouched);
        }
        WorkFailure failure =
            Failure(FailureKind::WriteFailed, step, error, {}, FileState::AwaitingSettle);
        failure.OtherPath = recordPath;
        record.Keep();
        return failure;
    }
    // The set-id bits the write cleared, and their flush.
    if (RestoreMode(file)) {
        if (const int flushed = files.Fsync(fd); flushed < 0) {
            record.Drop();
            return Failure(FailureKind::WriteFailed, FailedStep::FlushFile, flushed, {},
                           FileState::TransformedNotRenamed);
        }
    }
    progress.Report(w);
    return std::nullopt;
}

}  // namespace quarnix
