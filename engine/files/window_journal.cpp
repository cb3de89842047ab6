// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/window_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/files/file_io.h"
#include "engine/format/cipher.h"

namespace quarnix {
namespace {

// Layout: magic, device, inode, window length w (each 8 bytes), the old
// window, and a checksum of everything before it.
constexpr char Magic[8] = {'Q', 'R', 'N', 'X', 'U', 'N', 'D', 'O'};
constexpr std::size_t HeadSize = 32;
constexpr std::size_t SumSize = 8;
constexpr std::uint64_t LongestWindow = 20481;

std::uint64_t Checksum(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 1099511628211ull;
    }
    return hash;
}

void PutNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint64_t GetNumber(const std::uint8_t* in) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | in[i];
    }
    return value;
}

struct Record {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::vector<std::uint8_t> Old;
};

// False for anything this program did not write completely.
bool Parse(const std::vector<std::uint8_t>& bytes, Record* record) {
    if (bytes.size() < HeadSize + SumSize || std::memcmp(bytes.data(), Magic, 8) != 0) {
        return false;
    }
    const std::uint64_t w = GetNumber(bytes.data() + 24);
    if (w > LongestWindow || bytes.size() != HeadSize + w + SumSize ||
        GetNumber(bytes.data() + HeadSize + w) != Checksum(bytes.data(), bytes.size() - SumSize)) {
        return false;
    }
    record->Device = GetNumber(bytes.data() + 8);
    record->Inode = GetNumber(bytes.data() + 16);
    const auto old = bytes.begin() + HeadSize;
    record->Old.assign(old, old + static_cast<std::ptrdiff_t>(w));
    return true;
}

}  // namespace

int WriteJournal(FileOps& files, const std::string& path, const struct stat& file,
                 const std::vector<std::uint8_t>& old, FailedStep* step) {
    std::vector<std::uint8_t> bytes(Magic, Magic + 8);
    PutNumber(bytes, static_cast<std::uint64_t>(file.st_dev));
    PutNumber(bytes, static_cast<std::uint64_t>(file.st_ino));
    PutNumber(bytes, old.size());
    bytes.insert(bytes.end(), old.begin(), old.end());
    PutNumber(bytes, Checksum(bytes.data(), bytes.size()));

    *step = FailedStep::NameRecovery;
    const int fd = files.Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0) {
        return fd;
    }
    OwnedFd owned(files, fd);
    // Whoever owns the file may read it: root working on another's file
    // hands the record over; elsewhere it stays this user's, owner-only.
    files.Fchown(fd, file.st_uid, file.st_gid);
    *step = FailedStep::WriteRecovery;
    int error = WriteFully(files, fd, bytes.data(), bytes.size(), 0);
    if (error == 0) {
        *step = FailedStep::FlushRecovery;
        error = files.Fsync(fd);
    }
    if (error == 0) {
        *step = FailedStep::FlushFolder;
        error = FlushFolder(files, FolderOf(path));
    }
    if (error < 0) {
        owned.Close();
        files.Unlink(path);
    }
    return error;
}

int DropJournal(FileOps& files, const std::string& path) {
    if (const int removed = files.Unlink(path); removed < 0) {
        return removed;
    }
    return FlushFolder(files, FolderOf(path));
}

WorkResult ReplayJournal(WorkFile& file, const std::string& path, JournalFound* found) {
    FileOps& files = file.files();
    *found = JournalFound::None;
    const int fd = files.Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
        // Missing, or not a file this user may read: not this program's record.
        return std::nullopt;
    }
    OwnedFd owned(files, fd);
    struct stat info {};
    const struct stat& now = file.Found();
    // Only a record of this user or of the file's owner is trusted; anybody
    // else's might put chosen bytes into the file.
    if (files.Fstat(fd, &info) < 0 || !S_ISREG(info.st_mode) ||
        (info.st_uid != ::geteuid() && info.st_uid != now.st_uid) ||
        static_cast<std::uint64_t>(info.st_size) > HeadSize + LongestWindow + SumSize) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    if (const int read = ReadFully(files, fd, bytes.data(), bytes.size(), 0); read < 0) {
        return Failure(OutcomeKind::ReadFailed, FailedStep::ReadRecovery, read, path);
    }
    owned.Close();
    Record record;
    *found = JournalFound::Unused;
    if (Parse(bytes, &record) && record.Device == static_cast<std::uint64_t>(now.st_dev) &&
        record.Inode == static_cast<std::uint64_t>(now.st_ino) &&
        static_cast<std::uint64_t>(now.st_size) >= record.Old.size()) {
        std::vector<std::uint8_t> window(record.Old.size());
        const int read = ReadFully(files, file.fd(), window.data(), window.size(), 0);
        if (read < 0) {
            return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, read, {});
        }
        if (window != record.Old) {
            int error = WriteFully(files, file.fd(), record.Old.data(), record.Old.size(), 0);
            if (error == 0) {
                error = files.Fdatasync(file.fd());
            }
            if (error < 0) {
                // The record stays for the next run.
                return Failure(OutcomeKind::WriteFailed, FailedStep::WriteFile, error, {},
                               FileState::AwaitingRollback);
            }
            *found = JournalFound::RolledBack;
            if (const int refreshed = file.Refresh(); refreshed < 0) {
                return Failure(OutcomeKind::ReadFailed, FailedStep::ReadFile, refreshed, {});
            }
        }
    }
    if (const int dropped = DropJournal(files, path); dropped < 0) {
        return Failure(OutcomeKind::WriteFailed, FailedStep::DropJournal, dropped, path);
    }
    return std::nullopt;
}

}  // namespace quarnix
