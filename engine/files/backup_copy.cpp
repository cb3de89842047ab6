// SPDX-License-Identifier: GPL-3.0-or-later
// The backup copy: complete and on disk before it takes the backup's name,
// readable by nobody who could not read the file, and as sparse as the file.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/temp_file.h"

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

// The file system cannot tell data from holes: treat the whole file as data.
bool HolesUnknown(std::int64_t error) {
    return error == -EINVAL || error == -EOPNOTSUPP || error == -ENOSYS;
}

// Copies the bytes [from, to) of the source into the same place of the target.
class RangeCopier {
  public:
    RangeCopier(FileOps& files, int source, int target, const PhaseProgress& progress)
        : files_(files),
          source_(source),
          target_(target),
          progress_(progress),
          behind_(files, target, true) {}

    // 0, 1 when the source ended early (it was shortened meanwhile), -errno,
    // or -ECANCELED when the user asked to stop.
    std::int64_t Copy(std::uint64_t from, std::uint64_t to) {
        for (std::uint64_t done = from; done < to;) {
            if (progress_.CancelRequested()) {
                return -ECANCELED;
            }
            const std::size_t chunk = static_cast<std::size_t>(
                std::min<std::uint64_t>(to - done, kernelCopy_ ? KernelCopyChunk : WorkChunkSize));
            const std::int64_t copied = CopyChunk(done, chunk);
            if (copied < 0 && kernelCopy_ && KernelCopyUnsupported(copied)) {
                kernelCopy_ = false;
                continue;
            }
            if (copied <= 0) {
                return copied == 0 ? 1 : copied;
            }
            behind_.Written(static_cast<std::int64_t>(done), copied);
            done += static_cast<std::uint64_t>(copied);
            progress_.Report(done);
        }
        return 0;
    }

  private:
    std::int64_t CopyChunk(std::uint64_t at, std::size_t chunk) {
        auto offset = static_cast<std::int64_t>(at);
        if (kernelCopy_) {
            std::int64_t to = offset;
            return files_.CopyRange(source_, &offset, target_, &to, chunk);
        }
        buffer_.resize(WorkChunkSize);
        if (const int read = ReadFully(files_, source_, buffer_.data(), chunk, offset); read != 0) {
            return read < 0 ? read : 0;
        }
        const int written = WriteFully(files_, target_, buffer_.data(), chunk, offset);
        return written < 0 ? written : static_cast<std::int64_t>(chunk);
    }

    FileOps& files_;
    int source_;
    int target_;
    const PhaseProgress& progress_;
    bool kernelCopy_ = true;
    std::vector<std::uint8_t> buffer_;
    WriteBehind behind_;  // the backup is written once and never read again
};

// Copies the data ranges of the first `size` bytes of `source`, leaving the
// holes between them unwritten, then gives the target that length.
std::int64_t CopySparse(FileOps& files, int source, int target, std::uint64_t size,
                        const PhaseProgress& progress) {
    RangeCopier copier(files, source, target, progress);
    for (std::uint64_t at = 0; at < size;) {
        const auto from = static_cast<std::int64_t>(at);
        std::int64_t data = files.Seek(source, from, SEEK_DATA);
        std::int64_t hole = static_cast<std::int64_t>(size);
        if (data == -ENXIO) {
            break;  // nothing but a hole up to the end
        }
        if (data >= 0) {
            hole = files.Seek(source, data, SEEK_HOLE);
        } else if (HolesUnknown(data)) {
            data = from;
        }
        if (data < 0 || hole < 0) {
            return data < 0 ? data : hole;
        }
        const std::uint64_t end = std::min(size, static_cast<std::uint64_t>(hole));
        if (static_cast<std::uint64_t>(data) >= end) {
            break;  // the data found lies past the length taken at the start
        }
        if (const std::int64_t copied = copier.Copy(static_cast<std::uint64_t>(data), end);
            copied != 0) {
            return copied;
        }
        at = end;
    }
    return files.Truncate(target, static_cast<std::int64_t>(size));
}

}  // namespace

WorkResult CopyToBackup(const WorkFile& file, const std::string& backupPath, bool ownerOnly,
                        const CommandHooks& hooks) {
    FileOps& files = file.files();
    const PhaseProgress progress(hooks, WorkPhase::BackupCopy, file.Length());
    const std::string folder = FolderOf(backupPath);
    TempFile temp(files);
    if (const int created = temp.Create(folder, NameOf(backupPath)); created < 0) {
        return Failure(FailureKind::BackupFailed, FailedStep::CreateBackup, created, folder);
    }
    const BackupAccess access = CarryOverToBackup(file, temp.fd(), backupPath, ownerOnly);
    const std::int64_t copied = CopySparse(files, file.fd(), temp.fd(), file.Length(), progress);
    if (copied == -ECANCELED) {
        return CancelledWork();
    }
    if (copied == 1) {
        return ChangedByAnotherProgram();
    }
    if (copied < 0) {
        return Failure(FailureKind::BackupFailed, FailedStep::CopyBackup, static_cast<int>(copied),
                       backupPath);
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    if (const int moded = GiveBackupAccess(file, temp.fd(), backupPath, access); moded < 0) {
        return Failure(FailureKind::BackupFailed, FailedStep::CopyBackup, moded, backupPath);
    }
    progress.Flushing();
    if (const int flushed = temp.Flush(); flushed < 0) {
        return Failure(FailureKind::BackupFailed, FailedStep::FlushBackup, flushed, backupPath);
    }
    if (progress.CancelRequested()) {
        return CancelledWork();
    }
    // A program that takes no lock wrote to the file during the copy: the
    // copy may mix old and new bytes, and an existing backup stays as it was.
    if (auto changed = file.CheckUnchanged()) {
        return changed;
    }
    FailedStep step = FailedStep::NameBackup;
    if (const int replaced = temp.Replace(backupPath, &step); replaced < 0) {
        // After FlushFolder the backup stands complete; only its durability is in doubt.
        return Failure(FailureKind::BackupFailed,
                       step == FailedStep::ReplaceFile ? FailedStep::NameBackup : step, replaced,
                       step == FailedStep::FlushFolder ? folder : backupPath);
    }
    return std::nullopt;
}

bool BackupMatches(const WorkFile& file, const std::string& backupPath) {
    FileOps& files = file.files();
    OwnedFd backup(files, files.Open(backupPath, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0));
    struct stat info {};
    if (backup.get() < 0 || files.Fstat(backup.get(), &info) < 0 || !S_ISREG(info.st_mode) ||
        SameFile(info, file.Found()) || info.st_size != file.Found().st_size) {
        return false;
    }
    std::vector<std::uint8_t> mine(std::min<std::uint64_t>(file.Length(), WorkChunkSize));
    std::vector<std::uint8_t> theirs(mine.size());
    for (std::uint64_t done = 0; done < file.Length();) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(file.Length() - done, mine.size()));
        const auto at = static_cast<std::int64_t>(done);
        if (ReadFully(files, file.fd(), mine.data(), chunk, at) != 0 ||
            ReadFully(files, backup.get(), theirs.data(), chunk, at) != 0 ||
            !std::equal(mine.begin(), mine.begin() + static_cast<long>(chunk), theirs.begin())) {
            return false;
        }
        done += chunk;
    }
    return true;
}

}  // namespace quarnix
