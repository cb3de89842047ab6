// The backup copy: complete and on disk before it takes the backup's name.

#include <algorithm>
#include <cerrno>
#include <vector>

#include "file_io.h"
#include "file_steps.h"
#include "temp_file.h"

namespace quarnix {
namespace {

// copy_file_range moves this much per call: no user memory, and the cancel
// request is still polled every few milliseconds.
constexpr std::size_t KernelCopyChunk = 8 * 1024 * 1024;

// copy_file_range cannot serve these two files: copy through a buffer.
bool KernelCopyUnsupported(std::int64_t error) {
    return error == -EXDEV || error == -ENOSYS || error == -EINVAL || error == -EOPNOTSUPP ||
           error == -EBADF || error == -ETXTBSY;
}

}  // namespace

WorkResult CopyToBackup(FileOps& files, int source, std::uint64_t size, mode_t mode,
                        const std::string& backupPath, const CommandHooks& hooks) {
    const PhaseProgress progress(hooks, WorkPhase::BackupCopy, size);
    TempFile temp(files);
    if (const int created = temp.Create(FolderOf(backupPath)); created < 0) {
        return Failure(OutcomeKind::BackupFailed, FailedStep::CreateBackup, created,
                       FolderOf(backupPath));
    }
    if (const int moded = files.Fchmod(temp.fd(), mode & 0777); moded < 0) {
        return Failure(OutcomeKind::BackupFailed, FailedStep::CopyBackup, moded, backupPath);
    }
    bool kernelCopy = true;
    std::vector<std::uint8_t> buffer;
    for (std::uint64_t done = 0; done < size;) {
        if (progress.CancelRequested()) {
            return CancelledWork();
        }
        const std::size_t chunk = static_cast<std::size_t>(
            std::min<std::uint64_t>(size - done, kernelCopy ? KernelCopyChunk : WorkChunkSize));
        std::int64_t copied = 0;
        if (kernelCopy) {
            std::int64_t from = static_cast<std::int64_t>(done);
            std::int64_t to = from;
            copied = files.CopyRange(source, &from, temp.fd(), &to, chunk);
            if (copied < 0 && KernelCopyUnsupported(copied)) {
                kernelCopy = false;
                continue;
            }
        } else {
            buffer.resize(WorkChunkSize);
            const auto offset = static_cast<std::int64_t>(done);
            const int read = ReadFully(files, source, buffer.data(), chunk, offset);
            if (read < 0) {
                return Failure(OutcomeKind::BackupFailed, FailedStep::CopyBackup, read, backupPath);
            }
            copied = static_cast<std::int64_t>(chunk);
            if (read > 0) {
                copied = 0;  // the file ended early
            } else if (const int written =
                           WriteFully(files, temp.fd(), buffer.data(), chunk, offset);
                       written < 0) {
                copied = written;
            }
        }
        if (copied < 0) {
            return Failure(OutcomeKind::BackupFailed, FailedStep::CopyBackup,
                           static_cast<int>(copied), backupPath);
        }
        if (copied == 0) {
            return Failure(OutcomeKind::BackupFailed, FailedStep::FileChanged, 0, {});
        }
        // Writing to disk as the copy goes keeps the progress honest and the final flush short.
        files.StartWriteback(temp.fd(), static_cast<std::int64_t>(done), copied);
        done += static_cast<std::uint64_t>(copied);
        progress.Report(done);
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    FailedStep step = FailedStep::FlushBackup;
    if (const int replaced = temp.Replace(backupPath, &step); replaced < 0) {
        // After FlushFolder the backup stands complete; only its durability is in doubt.
        return Failure(OutcomeKind::BackupFailed,
                       step == FailedStep::ReplaceFile ? FailedStep::NameBackup : step, replaced,
                       step == FailedStep::FlushFolder ? FolderOf(backupPath) : backupPath);
    }
    return std::nullopt;
}

}  // namespace quarnix
