// TopSecret: the whole file changes. The new content is streamed into a
// temporary file beside the target and renamed over it once it is on disk, so
// that the file is at every moment wholly old or wholly new.

#include <cassert>
#include <vector>

#include "file_io.h"
#include "file_steps.h"
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

    const TransformPlan plan = PlanTransform(way, keys, fileLength);
    assert(!plan.Reversed && plan.WindowLength == fileLength);
    const KeyStream stream = MakeKeyStream(keys, plan.WindowLength);
    std::vector<std::uint8_t> buffer(WorkChunkSize);
    std::uint64_t written = 0;
    for (const Segment& segment : plan.Segments) {
        for (std::uint64_t done = 0; done < segment.Length;) {
            if (progress.CancelRequested()) {
                return CancelledWork();
            }
            const auto chunk = static_cast<std::size_t>(
                std::min<std::uint64_t>(segment.Length - done, WorkChunkSize));
            const int read = ReadFully(files, fd, buffer.data(), chunk,
                                       static_cast<std::int64_t>(segment.SourceOffset + done));
            if (read < 0) {
                return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, read, {});
            }
            if (read > 0) {
                return Failure(OutcomeKind::ReadFailed, FailedStep::FileChanged, 0, {});
            }
            stream.Apply(buffer.data(), chunk, segment.KeyPosition + done);
            const int wrote = WriteFully(files, temp.fd(), buffer.data(), chunk,
                                         static_cast<std::int64_t>(written));
            if (wrote < 0) {
                return Failure(OutcomeKind::WriteFailed, FailedStep::WriteTemp, wrote, folder);
            }
            // Writing to disk as the work goes keeps the progress honest and
            // the final flush (which no cancel can interrupt) short.
            files.StartWriteback(temp.fd(), static_cast<std::int64_t>(written),
                                 static_cast<std::int64_t>(chunk));
            done += chunk;
            written += chunk;
            progress.Report(written);
        }
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
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
