// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/run_record.h"

#include <cerrno>
#include <random>

#include "engine/files/file_io.h"

namespace quarnix {
namespace {

constexpr char RecordPrefix[] = ".quarnix-rec-";
constexpr std::size_t RecordPrefixLength = sizeof RecordPrefix - 1;
constexpr std::size_t NameDigits = 16;
constexpr char Hex[] = "0123456789abcdef";

std::uint64_t RandomNumber() {
    std::random_device device;  // the kernel's random numbers
    return (std::uint64_t{device()} << 32) | device();
}

std::string RandomRecordName() {
    std::string name = RecordPrefix;
    const std::uint64_t number = RandomNumber();
    for (std::size_t i = 0; i < NameDigits; ++i) {
        name.push_back(Hex[(number >> (4 * i)) & 0xF]);
    }
    return name;
}

}  // namespace

bool IsRecordName(const std::string& name) {
    return name.size() == RecordPrefixLength + NameDigits &&
           name.compare(0, RecordPrefixLength, RecordPrefix) == 0 &&
           name.find_first_not_of(Hex, RecordPrefixLength) == std::string::npos;
}

int RunRecord::Begin(const WorkFile& file, const std::string& folder, const std::string& forName,
                     RecordHead head) {
    const struct stat& found = file.Found();
    head_ = std::move(head);
    for (std::size_t i = 0; i < head_.RunId.size(); i += 8) {
        const std::uint64_t number = RandomNumber();
        for (std::size_t b = 0; b < 8; ++b) {
            head_.RunId[i + b] = static_cast<std::uint8_t>(number >> (8 * b));
        }
    }
    head_.Device = static_cast<std::uint64_t>(found.st_dev);
    head_.Inode = static_cast<std::uint64_t>(found.st_ino);
    head_.NewInode = head_.Inode;
    head_.FileLength = static_cast<std::uint64_t>(found.st_size);
    head_.Mode = found.st_mode & 07777;
    bodyOffset_ = quarnix::BodyOffset(head_);
    folder_ = folder;
    if (const int created = temp_.Create(folder, forName); created < 0) {
        return created;
    }
    // Whoever owns the file settles what this run leaves: root working on
    // another's file hands the record over. Elsewhere it stays this user's.
    files_.Fchown(temp_.fd(), found.st_uid, found.st_gid);
    return 0;
}

int RunRecord::Seal(const std::vector<UnitHashes>& table, FailedStep* step) {
    const std::vector<std::uint8_t> head = EncodeRecord(head_, table);
    *step = FailedStep::WriteRecord;
    int result = WriteFully(files_, temp_.fd(), head.data(), head.size(), 0);
    // A name taken meanwhile (by chance, or by a file of the user's) is never
    // replaced: another random name is tried.
    for (int attempt = 0; result == 0; ++attempt) {
        const std::string path = folder_ + "/" + RandomRecordName();
        result = temp_.Publish(path, step);
        if (result == 0) {
            path_ = path;
            break;
        }
        if (result == -EEXIST && *step == FailedStep::NameRecord && attempt < 16) {
            result = 0;
        }
    }
    if (result < 0) {
        temp_.Discard();
    }
    return result;
}

int RunRecord::Drop() {
    const bool sealed = Sealed();
    path_.clear();
    const int removed = temp_.Discard();
    // The work stands complete on disk without the record; flushing the
    // folder only makes its removal durable sooner.
    if (removed == 0 && sealed) {
        FlushFolder(files_, folder_);
    }
    return removed;
}

void RunRecord::Keep() {
    temp_.Keep();
}

}  // namespace quarnix
