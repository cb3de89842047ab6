// SPDX-License-Identifier: GPL-3.0-or-later
// TopSecret on a file with several hard links: replacing the file would leave
// the other links on the old content, so the new content is copied over it in
// place. The rotation makes every output byte depend on bytes from anywhere in
// the file, so the whole new content is first streamed into a temporary file,
// flushed, and given a visible recovery name; only then is it copied over the
// file. A crash during the copy leaves the complete new content under that
// name, and the next run on the file completes the copy from it.

#include <algorithm>
#include <cerrno>
#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/stream_transform.h"
#include "engine/files/temp_file.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

// A failure once the copy over the file has begun: the file may be partly
// rewritten and the recovery file, kept, holds the whole new content.
WorkFailure PartlyRewritten(FailedStep step, int error, std::string path,
                            const std::string& recovery) {
    WorkFailure failure =
        Failure(OutcomeKind::WriteFailed, step, error, std::move(path), FileState::PartlyRewritten);
    failure.OtherPath = recovery;
    return failure;
}

// Copies the first `length` bytes of `from` over the open file `fd` from
// offset 0, then flushes `fd`. Progress goes on from `length` to twice it. A
// failure before the first write leaves the file untouched.
WorkResult CopyBack(FileOps& files, int from, int fd, std::uint64_t length,
                    const std::string& recovery, const PhaseProgress& progress) {
    std::vector<std::uint8_t> buffer(WorkChunkSize);
    WriteBehind behind(files, fd, false);  // the user's own file keeps its pages
    for (std::uint64_t done = 0; done < length;) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, WorkChunkSize));
        const auto offset = static_cast<std::int64_t>(done);
        if (const int read = ReadFully(files, from, buffer.data(), chunk, offset); read != 0) {
            // The recovery file is ours: ending early means it was cut short.
            const int error = read < 0 ? read : -EIO;
            if (done == 0) {
                return Failure(OutcomeKind::WriteFailed, FailedStep::ReadRecovery, error, recovery);
            }
            return PartlyRewritten(FailedStep::ReadRecovery, error, recovery, recovery);
        }
        if (const int wrote = WriteFully(files, fd, buffer.data(), chunk, offset); wrote < 0) {
            return PartlyRewritten(FailedStep::WriteFile, wrote, {}, recovery);
        }
        behind.Written(offset, static_cast<std::int64_t>(chunk));
        done += chunk;
        progress.Report(length + done);
    }
    progress.Flushing();
    if (const int flushed = files.Fdatasync(fd); flushed < 0) {
        return PartlyRewritten(FailedStep::FlushFile, flushed, {}, recovery);
    }
    return std::nullopt;
}

}  // namespace

WorkResult RewriteInPlace(WorkFile& file, const std::string& target, Direction way,
                          const CipherKeys& keys, const CommandHooks& hooks) {
    FileOps& files = file.files();
    const std::uint64_t fileLength = file.Length();
    // The new content is written twice: into the temporary file, then over the file.
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, 2 * fileLength);
    const std::string folder = FolderOf(target);
    const std::string recovery = target + Utf16ToUtf8(RecoverySuffix);
    TempFile temp(files);
    if (const int created = temp.Create(folder, NameOf(target)); created < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::CreateTemp, created, folder);
    }
    if (auto failed = StreamTransformed(files, file.fd(), fileLength, temp.fd(), folder, way, keys,
                                        progress, true)) {
        return failed;
    }
    progress.Flushing();
    if (const int flushed = temp.Flush(); flushed < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::FlushTemp, flushed, folder);
    }
    // The last moment to stop with the file unchanged, and to notice another
    // program's work on it, which is then kept; the destructor removes the
    // temporary file.
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    if (auto changed = file.CheckUnchanged()) {
        return changed;
    }
    progress.Committing();
    // The recovery name says that the copy over the file has begun: the next
    // run on the file finishes a copy that a crash cut short, and removes a
    // hidden temporary file, which was never copied from.
    FailedStep step = FailedStep::FlushTemp;
    if (const int published = temp.Publish(recovery, &step); published < 0) {
        return Failure(OutcomeKind::WriteFailed, step, published,
                       step == FailedStep::NameRecovery ? recovery : folder);
    }

    // From here on the copy runs to its end. Once it has written to the file, a
    // failure keeps the recovery file.
    if (auto failed = CopyBack(files, temp.fd(), file.fd(), fileLength, recovery, progress)) {
        if (failed->State == FileState::PartlyRewritten) {
            temp.Keep();
        }
        return failed;
    }
    if (RestoreMode(file)) {
        if (const int flushed = files.Fsync(file.fd()); flushed < 0) {
            return PartlyRewritten(FailedStep::FlushFile, flushed, {}, recovery);
        }
    }
    if (const int removed = temp.Discard(); removed < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::DropRecovery, removed, recovery,
                       FileState::TransformedNotRenamed);
    }
    // The file is rewritten and on disk; flushing the folder only makes the
    // recovery file's removal durable sooner.
    FlushFolder(files, folder);
    return std::nullopt;
}

WorkResult FinishCopyBack(WorkFile& file, int from, const std::string& recovery) {
    FileOps& files = file.files();
    const CommandHooks none;
    const PhaseProgress progress(none, WorkPhase::Rewrite, 2 * file.Length());
    if (auto failed = CopyBack(files, from, file.fd(), file.Length(), recovery, progress)) {
        return failed;
    }
    if (const int removed = files.Unlink(recovery); removed < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::DropRecovery, removed, recovery);
    }
    FlushFolder(files, FolderOf(recovery));
    if (const int refreshed = file.Refresh(); refreshed < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, refreshed, {});
    }
    return std::nullopt;
}

}  // namespace quarnix
