// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/record_settle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/files/file_io.h"
#include "engine/files/file_metadata.h"
#include "engine/files/file_steps.h"
#include "engine/files/record_units.h"
#include "engine/files/run_record.h"
#include "engine/format/level_marker.h"
#include "engine/text_codec.h"

namespace quarnix {
namespace {

// A record found beside the file, read as far as this run may trust it.
struct FoundRecord {
    std::string Path;
    DecodedRecord Record;
};

enum class Reading { NotOurs, Damaged, Read };

// Opens and reads the record at `path`. Only a record of this user or of the
// file's owner is read at all: anybody else's might put chosen bytes into the
// file. One that a running command holds locked is that command's.
Reading ReadRecord(FileOps& files, const std::string& path, uid_t fileOwner, OwnedFd* fd,
                   FoundRecord* found, WorkResult* failure) {
    fd->Reset(files.Open(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0));
    struct stat info {};
    if (fd->get() < 0 || files.Fstat(fd->get(), &info) < 0 || !S_ISREG(info.st_mode) ||
        (info.st_uid != ::geteuid() && info.st_uid != fileOwner)) {
        return Reading::NotOurs;
    }
    if (const int locked = files.Lock(fd->get()); locked == -EAGAIN || locked == -EACCES) {
        return Reading::NotOurs;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    std::vector<std::uint8_t> bytes(std::min<std::uint64_t>(size, RecordFixedHead));
    int read = ReadFully(files, fd->get(), bytes.data(), bytes.size(), 0);
    const auto length = read == 0 ? RecordHeadLength(bytes) : std::nullopt;
    if (read == 0 && length && *length <= size) {
        bytes.resize(*length);
        read = ReadFully(files, fd->get(), bytes.data(), bytes.size(), 0);
    }
    if (read < 0) {
        *failure = Failure(FailureKind::ReadFailed, FailedStep::ReadRecord, read, path);
        return Reading::Damaged;
    }
    auto decoded = length && *length <= size ? DecodeRecord(bytes) : std::nullopt;
    // Not a byte more or less than this program wrote.
    if (!decoded ||
        size != BodyOffset(decoded->Head) +
                    (decoded->Head.Kind == RecordKind::Replaced ? 0 : decoded->Head.RegionLength)) {
        return Reading::Damaged;
    }
    found->Path = path;
    found->Record = std::move(*decoded);
    return Reading::Read;
}

// Whether `to` is the path the marker rule of the record's level and
// direction gives for `from`: a record never renames a file anywhere else.
bool MarkerRenameOf(const RecordHead& head) {
    const std::u16string from = Utf8ToUtf16(head.FromPath);
    const std::u16string to = Utf8ToUtf16(head.ToPath);
    if (from == to) {
        return true;
    }
    return head.Way == Direction::Encrypt
               ? to == MarkFileName(from, head.Level) || to == MarkLastPart(from, head.Level)
               : to == UnmarkFileName(from, head.Level) || to == UnmarkLastPart(from, head.Level);
}

class RecordSettler {
  public:
    RecordSettler(const SettleContext& context, Settlement* settlement)
        : c_(context), files_(context.File.files()), settlement_(settlement) {}

    WorkResult Settle(const std::string& path);
    // Reads the record at `path` when it is one for the file, changing nothing.
    std::optional<FoundRecord> Peek(const std::string& path, OwnedFd* fd);

  private:
    void Note(LeftoverKind kind, const std::string& path) {
        Leftover note;
        note.Kind = kind;
        note.Path = path;
        settlement_->Notes.push_back(note);
    }
    bool ClaimsFile(const RecordHead& head) const {
        const struct stat& file = c_.File.Found();
        return head.Device == static_cast<std::uint64_t>(file.st_dev) &&
               (head.Inode == static_cast<std::uint64_t>(file.st_ino) ||
                head.NewInode == static_cast<std::uint64_t>(file.st_ino));
    }
    bool ClaimsName(const RecordHead& head) const {
        return head.FromPath == c_.RequestPath || head.ToPath == c_.RequestPath;
    }
    WorkResult Apply(const FoundRecord& found, int recordFd);
    WorkResult Finish(const FoundRecord& found, bool torn);
    WorkResult Drop(const FoundRecord& found);

    const SettleContext& c_;
    FileOps& files_;
    Settlement* settlement_;
};

std::optional<FoundRecord> RecordSettler::Peek(const std::string& path, OwnedFd* fd) {
    FoundRecord found;
    WorkResult failure;
    if (ReadRecord(files_, path, c_.File.Found().st_uid, fd, &found, &failure) != Reading::Read ||
        !ClaimsFile(found.Record.Head) || found.Record.Head.FileLength != c_.File.Length() ||
        !MarkerRenameOf(found.Record.Head)) {
        return std::nullopt;
    }
    return found;
}

WorkResult RecordSettler::Settle(const std::string& path) {
    OwnedFd fd(files_, -1);
    FoundRecord found;
    WorkResult failure;
    switch (ReadRecord(files_, path, c_.File.Found().st_uid, &fd, &found, &failure)) {
        case Reading::NotOurs:
            return std::nullopt;
        case Reading::Damaged:
            if (failure) {
                return failure;
            }
            Note(LeftoverKind::RecordDamaged, path);
            return std::nullopt;
        case Reading::Read:
            break;
    }
    const RecordHead& head = found.Record.Head;
    if (!ClaimsFile(head)) {
        // Made for a file that had this name and is gone: another file
        // stands there now, which the record must never touch.
        if (ClaimsName(head)) {
            Note(LeftoverKind::RecordStale, path);
        }
        return std::nullopt;
    }
    if (head.FileLength != c_.File.Length() || !MarkerRenameOf(head)) {
        Note(LeftoverKind::RecordStale, path);
        return std::nullopt;
    }
    return Apply(found, fd.get());
}

WorkResult RecordSettler::Apply(const FoundRecord& found, int recordFd) {
    const RecordHead& head = found.Record.Head;
    const auto& table = found.Record.Table;
    WorkFile& file = c_.File;
    const bool replaced = head.Kind == RecordKind::Replaced;
    // A file replaced by a new one: the old file still here means the run
    // stopped before it changed anything.
    if (replaced && head.Inode != head.NewInode &&
        head.Inode == static_cast<std::uint64_t>(file.Found().st_ino)) {
        Note(LeftoverKind::RecordRemoved, found.Path);
        return Drop(found);
    }
    std::vector<std::uint64_t> hashes;
    if (const int read = HashUnits(files_, file.fd(), 0, head.RegionLength, head, &hashes);
        read != 0) {
        return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, read < 0 ? read : -EIO, {});
    }
    const UnitStates states = CompareUnits(hashes, table, replaced);
    if (states.Foreign) {
        Note(LeftoverKind::RecordStale, found.Path);
        return std::nullopt;
    }
    // Forward when the body holds the bytes after the work, or when they are
    // all on disk already; else back.
    const bool forward = head.BodyIsAfter() || !states.AnyBefore;
    if (!forward && !states.AnyAfter) {
        Note(LeftoverKind::RecordRemoved, found.Path);
        return Drop(found);
    }
    const auto wanted = [&states, forward](std::size_t unit) {
        return states.After[unit] != forward;
    };
    const bool needsBody = forward ? states.AnyBefore : states.AnyAfter;
    if (needsBody) {
        // The whole body is checked before any of it is written.
        std::vector<std::uint64_t> body;
        const int read =
            HashUnits(files_, recordFd, BodyOffset(head), head.RegionLength, head, &body);
        bool intact = read == 0 && body.size() == table.size();
        for (std::size_t i = 0; intact && i < body.size(); ++i) {
            intact = body[i] == (head.BodyIsAfter() ? table[i].After : table[i].Before);
        }
        if (read < 0) {
            return Failure(FailureKind::ReadFailed, FailedStep::ReadRecord, read, found.Path);
        }
        if (!intact) {
            if (!states.AnyAfter) {
                // The file is wholly as it was: the run may go on.
                Note(LeftoverKind::RecordDamaged, found.Path);
                return std::nullopt;
            }
            WorkFailure failure = Failure(FailureKind::ReadFailed, FailedStep::ReadRecord, EBADMSG,
                                          found.Path, FileState::TornRecordDamaged);
            failure.OtherPath = found.Path;
            return failure;
        }
        bool written = false;
        int copied = CopyBodyUnits(files_, recordFd, BodyOffset(head), file.fd(), head, table,
                                   wanted, &written);
        if (copied == 0) {
            copied = files_.Fdatasync(file.fd());
        }
        if (copied < 0) {
            WorkFailure failure = Failure(FailureKind::WriteFailed, FailedStep::WriteFile, copied,
                                          {}, FileState::AwaitingSettle);
            failure.OtherPath = found.Path;
            return failure;
        }
        if (RestoreSetIdBits(files_, file.fd(), head.Mode)) {
            files_.Fsync(file.fd());
        }
        if (const int refreshed = file.Refresh(); refreshed < 0) {
            return Failure(FailureKind::ReadFailed, FailedStep::ReadFile, refreshed, {});
        }
    }
    if (!forward) {
        Leftover note{LeftoverKind::RolledBack, found.Path, {}, head.Way, true};
        settlement_->Notes.push_back(note);
        return Drop(found);
    }
    return Finish(found, needsBody);
}

// The work is complete on disk: the marker rename is finished where the file
// still has the name the record was made under. A rename that cannot be done
// now is said, and the record goes all the same: the content is complete.
WorkResult RecordSettler::Finish(const FoundRecord& found, bool torn) {
    const RecordHead& head = found.Record.Head;
    Leftover note{LeftoverKind::Completed, found.Path, head.ToPath, head.Way, torn};
    settlement_->Finished = true;
    if (head.FromPath != head.ToPath && c_.RequestPath == head.FromPath) {
        const std::string to = FolderOf(head.ToPath) == FolderOf(head.FromPath)
                                   ? c_.PathFolder.PathOf(NameOf(head.ToPath))
                                   : head.ToPath;
        WorkResult renamed = CheckRename(files_, c_.Path, to);
        if (!renamed) {
            renamed = RenameWithoutReplacing(files_, c_.Path, to);
        }
        note.Renamed = !renamed;
        note.RenameError = renamed ? (renamed->Error != 0 ? renamed->Error : EEXIST) : 0;
    }
    settlement_->Notes.push_back(note);
    return Drop(found);
}

WorkResult RecordSettler::Drop(const FoundRecord& found) {
    if (const int removed = files_.Unlink(found.Path); removed < 0) {
        return Failure(FailureKind::WriteFailed, FailedStep::DropRecord, removed, found.Path,
                       settlement_->Finished ? FileState::RecordLeft : FileState::Untouched);
    }
    FlushFolder(files_, FolderOf(found.Path));
    return std::nullopt;
}

}  // namespace

WorkResult SettleRecords(const SettleContext& context, const std::vector<std::string>& names,
                         Settlement* settlement) {
    RecordSettler settler(context, settlement);
    for (const std::string& name : names) {
        if (!IsRecordName(name)) {
            continue;
        }
        if (auto failed = settler.Settle(context.RealFolder.PathOf(name))) {
            return failed;
        }
        if (settlement->Finished) {
            break;
        }
    }
    return std::nullopt;
}

std::optional<PendingRecord> FindPendingRecord(const SettleContext& context,
                                               const std::vector<std::string>& names) {
    Settlement unused;
    RecordSettler settler(context, &unused);
    for (const std::string& name : names) {
        OwnedFd fd(context.File.files(), -1);
        if (IsRecordName(name)) {
            if (const auto found = settler.Peek(context.RealFolder.PathOf(name), &fd)) {
                return PendingRecord{found->Record.Head.Level, found->Record.Head.Way};
            }
        }
    }
    return std::nullopt;
}

}  // namespace quarnix
