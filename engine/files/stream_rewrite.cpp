// SPDX-License-Identifier: GPL-3.0-or-later
// TopSecret: the whole file changes. The new content is streamed into a
// temporary file beside the target and renamed over it once it is on disk, so
// that the file is at every moment wholly old or wholly new. The new file takes
// everything that decides who may read the old one; where it cannot, the old
// file's own inode is rewritten instead. When the marker rename is to follow,
// a run record made before the replacement lets the next run finish that
// rename should a crash come between the two, instead of transforming the
// file once more.

#include <cerrno>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/record_units.h"
#include "engine/files/stream_transform.h"
#include "engine/files/temp_file.h"

namespace quarnix {
namespace {

// Seals the record of a replacement: the old and the new file's inode, and
// the new content's hashes, which tell the new file from any other that gets
// its inode later.
WorkResult SealReplacedRecord(FileOps& files, const std::string& folder, RunRecord& record,
                              int newFile, const std::vector<std::uint64_t>& after) {
    struct stat made {};
    if (const int found = files.Fstat(newFile, &made); found < 0) {
        record.Drop();
        return Failure(FailureKind::WriteFailed, FailedStep::WriteRecord, found, folder);
    }
    record.SetNewInode(static_cast<std::uint64_t>(made.st_ino));
    std::vector<UnitHashes> table(after.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        table[i].After = after[i];
    }
    FailedStep step = FailedStep::WriteRecord;
    if (const int sealed = record.Seal(table, &step); sealed < 0) {
        return Failure(FailureKind::WriteFailed, step, sealed, folder);
    }
    return std::nullopt;
}

// The old file's hidden name after a swap: its content is reported as left
// there when the name cannot be removed.
WorkFailure OldContentLeft(FailedStep step, int error, const std::string& hidden) {
    WorkFailure failure =
        Failure(FailureKind::WriteFailed, step, error, {}, FileState::OldContentLeft);
    failure.OtherPath = hidden;
    return failure;
}

// Puts the flushed new file in the old one's place; `file` then holds the new
// file. Where the file system swaps two names at once, the old file keeps a
// hidden name for a last look at it: a program that opened it in the moment
// before (its lease broken) or wrote to it gets it back in place, and this
// work is dropped. Elsewhere the new file is renamed over the old one.
WorkResult PutInPlace(WorkFile& file, TempFile& temp, const std::string& target,
                      RunRecord& record) {
    FileOps& files = file.files();
    const std::string folder = FolderOf(target);
    if (const int named = temp.GiveHiddenName(); named < 0) {
        record.Drop();
        return Failure(FailureKind::WriteFailed, FailedStep::ReplaceFile, named, {});
    }
    const std::string hidden = temp.Name();
    const int swapped = files.RenameExchange(hidden, target);
    if (swapped == -EINVAL || swapped == -ENOSYS || swapped == -EOPNOTSUPP) {
        FailedStep step = FailedStep::ReplaceFile;
        if (const int replaced = temp.Replace(target, &step); replaced < 0) {
            if (step == FailedStep::FlushFolder) {
                file.Adopt(temp.Release());
                return Failure(FailureKind::WriteFailed, step, replaced, folder,
                               FileState::TransformedNotRenamed);
            }
            record.Drop();
            return Failure(FailureKind::WriteFailed, step, replaced, {});
        }
    } else if (swapped < 0) {
        record.Drop();
        return Failure(FailureKind::WriteFailed, FailedStep::ReplaceFile, swapped, {});
    } else {
        temp.Disown();  // the hidden name holds the old file now
        if (auto changed = file.CheckOpenFileUnchanged()) {
            if (const int back = files.RenameExchange(hidden, target); back < 0) {
                file.Adopt(temp.Release());
                return OldContentLeft(FailedStep::ReplaceFile, back, hidden);
            }
            files.Unlink(hidden);  // the new file, which nobody saw
            FlushFolder(files, folder);
            record.Drop();
            return changed;
        }
        if (const int removed = files.Unlink(hidden); removed < 0) {
            file.Adopt(temp.Release());
            return OldContentLeft(FailedStep::ReplaceFile, removed, hidden);
        }
        if (const int flushed = FlushFolder(files, folder); flushed < 0) {
            file.Adopt(temp.Release());
            return Failure(FailureKind::WriteFailed, FailedStep::FlushFolder, flushed, folder,
                           FileState::TransformedNotRenamed);
        }
    }
    if (const int adopted = file.Adopt(temp.Release()); adopted < 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, adopted, {},
                       FileState::TransformedNotRenamed);
    }
    return std::nullopt;
}

}  // namespace

WorkResult RewriteThroughTemp(WorkFile& file, const RecordStart& start, RunRecord& record,
                              const CipherKeys& keys, const CommandHooks& hooks,
                              bool* inPlaceInstead) {
    FileOps& files = file.files();
    *inPlaceInstead = false;
    const std::string& folder = start.Folder;
    const std::string target = folder + "/" + start.ForName;
    TempFile temp(files);
    if (const int created = temp.Create(folder, start.ForName); created < 0) {
        return Failure(FailureKind::WriteFailed, FailedStep::CreateTemp, created, folder);
    }
    if (!CarryOverAll(file, temp.fd(), target)) {
        *inPlaceInstead = true;
        return std::nullopt;
    }

    const bool renameFollows = start.FromPath != start.ToPath;
    if (renameFollows) {
        const RecordHead head = start.Head(RecordKind::Replaced, file.Length());
        if (const int begun = record.Begin(file, folder, start.ForName, head); begun < 0) {
            return Failure(FailureKind::WriteFailed, FailedStep::CreateRecord, begun, folder);
        }
    }
    const PhaseProgress progress(hooks, WorkPhase::Rewrite, file.Length());
    std::vector<std::uint64_t> after;
    UnitHasher hasher(record.Head(), &after);
    StreamEnds ends;
    ends.Source = file.fd();
    ends.Target = temp.fd();
    ends.TargetFolder = folder;
    ends.Hasher = renameFollows ? &hasher : nullptr;
    WorkResult failed = StreamTransformed(files, file.Length(), ends, start.Way, keys, progress);
    if (!failed) {
        if (const int moded = GiveAccess(file, temp.fd(), target); moded < 0) {
            failed = Failure(FailureKind::WriteFailed, FailedStep::SetMode, moded, {});
        }
    }
    if (!failed) {
        progress.Flushing();
        if (const int flushed = temp.Flush(); flushed < 0) {
            failed = Failure(FailureKind::WriteFailed, FailedStep::FlushTemp, flushed, folder);
        }
    }
    if (failed) {
        record.Drop();
        return failed;
    }
    if (renameFollows) {
        if (auto notSealed = SealReplacedRecord(files, folder, record, temp.fd(), after)) {
            return notSealed;
        }
    }
    if (auto dropped = LastChanceToDrop(file, progress, &record)) {
        return dropped;
    }
    return PutInPlace(file, temp, target, record);
}

}  // namespace quarnix
