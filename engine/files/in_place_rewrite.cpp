// SPDX-License-Identifier: GPL-3.0-or-later
// TopSecret on a file with several hard links: replacing the file would leave
// the other links on the old content, so the new content is written over it
// in place. The rotation makes every output byte depend on bytes from
// anywhere in the file, and a power cut may tear any page of the write, so
// the encrypted side of the work is first written into a run record beside
// the file (run_record.h) and flushed: on encryption the new content, which
// the next run writes over the file should the write be cut short; on
// decryption the file as it is, which the next run puts back, and from which
// the new content is written, since the file itself is overwritten as it goes.

#include <algorithm>
#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/record_units.h"
#include "engine/files/stream_transform.h"

namespace quarnix {
namespace {

// Copies `length` bytes of `from` into `to` at `toOffset`, hashing them.
WorkResult CopyHashing(FileOps& files, int from, int to, std::uint64_t toOffset,
                       std::uint64_t length, UnitHasher& hasher, const PhaseProgress& progress) {
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(length, WorkChunkSize));
    WriteBehind behind(files, to, false);  // read again for the new content
    for (std::uint64_t done = 0; done < length;) {
        if (progress.CancelRequested()) {
            return CancelledWork();
        }
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, WorkChunkSize));
        const int read =
            ReadFully(files, from, buffer.data(), chunk, static_cast<std::int64_t>(done));
        if (read < 0) {
            return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, read, {});
        }
        if (read > 0) {
            return ChangedByAnotherProgram();
        }
        hasher.Add(std::span(buffer).first(chunk));
        const auto at = static_cast<std::int64_t>(toOffset + done);
        if (const int wrote = WriteFully(files, to, buffer.data(), chunk, at); wrote < 0) {
            return Failure(FailureKind::WriteFailed, FailedStep::WriteRecord, wrote, {});
        }
        behind.Written(at, static_cast<std::int64_t>(chunk));
        done += chunk;
        progress.Report(done);
    }
    hasher.Finish();
    return std::nullopt;
}

// Fills the record's body with the encrypted side and works out the table:
// the hashes of every page as it is and as the work leaves it.
WorkResult FillRecord(WorkFile& file, RunRecord& record, const std::string& folder,
                      const CipherKeys& keys, const PhaseProgress& progress,
                      std::vector<UnitHashes>* table) {
    FileOps& files = file.files();
    const std::uint64_t length = file.Length();
    const RecordHead& head = record.Head();
    std::vector<std::uint64_t> before;
    std::vector<std::uint64_t> after;
    UnitHasher afterHasher(head, &after);
    StreamEnds ends;
    ends.Hasher = &afterHasher;
    ends.TargetFolder = folder;
    ends.WriteStep = FailedStep::WriteRecord;
    if (head.Way == Direction::Encrypt) {
        // The new content into the body, then the file's own pages hashed.
        ends.Source = file.fd();
        ends.Target = record.fd();
        ends.TargetOffset = record.BodyOffset();
        ends.ReadAgain = true;
        if (auto failed = StreamTransformed(files, length, ends, head.Way, keys, progress)) {
            return failed;
        }
        const int read = HashUnits(files, file.fd(), 0, length, head, &before,
                                   [&](std::uint64_t done) { progress.Report(length + done); });
        if (read != 0) {
            return read < 0 ? Failure(FailureKind::ReadFailed, FailedStep::ReadFile, read, {})
                            : ChangedByAnotherProgram();
        }
    } else {
        // The file as it is into the body, then the new content hashed from it.
        UnitHasher beforeHasher(head, &before);
        if (auto failed = CopyHashing(files, file.fd(), record.fd(), record.BodyOffset(), length,
                                      beforeHasher, progress)) {
            return failed;
        }
        ends.Source = record.fd();
        ends.SourceOffset = record.BodyOffset();
        ends.ReadStep = FailedStep::ReadRecord;
        ends.ProgressBase = length;
        if (auto failed = StreamTransformed(files, length, ends, head.Way, keys, progress)) {
            return failed;
        }
    }
    table->resize(before.size());
    for (std::size_t i = 0; i < table->size(); ++i) {
        (*table)[i] = {before[i], after[i]};
    }
    return std::nullopt;
}

// Writes the new content over the file from the sealed record, and flushes it.
int WriteOver(WorkFile& file, RunRecord& record, const CipherKeys& keys,
              const std::vector<UnitHashes>& table, const PhaseProgress& progress) {
    FileOps& files = file.files();
    const std::uint64_t length = file.Length();
    const RecordHead& head = record.Head();
    if (head.Way == Direction::Encrypt) {
        bool written = false;
        if (const int copied = CopyBodyUnits(
                files, record.fd(), record.BodyOffset(), file.fd(), head, table,
                [](std::size_t) { return true; }, &written,
                [&](std::uint64_t done) { progress.Report(2 * length + done); });
            copied < 0) {
            return copied;
        }
        progress.Flushing();
        return files.Fdatasync(file.fd());
    }
    StreamEnds ends;
    ends.Source = record.fd();
    ends.SourceOffset = record.BodyOffset();
    ends.ReadStep = FailedStep::ReadRecord;
    ends.Target = file.fd();
    ends.WriteStep = FailedStep::WriteFile;
    ends.ProgressBase = 2 * length;
    const CommandHooks none;  // no cancel from here on
    const PhaseProgress uncancellable(none, WorkPhase::Rewrite, 0);
    if (auto failed = StreamTransformed(files, length, ends, head.Way, keys, uncancellable)) {
        return failed->Error != 0 ? -failed->Error : -EIO;
    }
    progress.Report(3 * length);
    progress.Flushing();
    return files.Fdatasync(file.fd());
}

}  // namespace

WorkResult RewriteInPlace(WorkFile& file, const RecordStart& start, RunRecord& record,
                          const CipherKeys& keys, const CommandHooks& hooks) {
    FileOps& files = file.files();
    const std::uint64_t length = file.Length();
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, 3 * length);
    const RecordHead head = start.Head(RecordKind::WholeInPlace, length);
    if (const int begun = record.Begin(file, start.Folder, start.ForName, head); begun < 0) {
        return Failure(FailureKind::WriteFailed, FailedStep::CreateRecord, begun, start.Folder);
    }
    std::vector<UnitHashes> table;
    if (auto failed = FillRecord(file, record, start.Folder, keys, progress, &table)) {
        record.Drop();
        return failed;
    }
    progress.Flushing();
    FailedStep step = FailedStep::WriteRecord;
    if (const int sealed = record.Seal(table, &step); sealed < 0) {
        return Failure(FailureKind::WriteFailed, step, sealed, start.Folder);
    }
    if (auto dropped = LastChanceToDrop(file, progress, &record)) {
        return dropped;
    }

    // From here on the write runs to its end; a failure keeps the record.
    const std::string recordPath = record.Path();
    const auto keep = [&](FailedStep failedStep, int error) {
        WorkFailure failure =
            Failure(FailureKind::WriteFailed, failedStep, error, {}, FileState::AwaitingSettle);
        failure.OtherPath = recordPath;
        record.Keep();
        return failure;
    };
    if (const int written = WriteOver(file, record, keys, table, progress); written < 0) {
        return keep(FailedStep::WriteFile, written);
    }
    if (RestoreMode(file)) {
        if (const int flushed = files.Fsync(file.fd()); flushed < 0) {
            return keep(FailedStep::FlushFile, flushed);
        }
    }
    return std::nullopt;
}

}  // namespace quarnix
