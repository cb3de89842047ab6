// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/temp_file.h"

#include <cerrno>
#include <cstdint>
#include <random>

#include "engine/files/file_io.h"

namespace quarnix {
namespace {

constexpr char NamePrefix[] = ".quarnix-";

// O_TMPFILE is missing on this file system or kernel: use a named file.
bool UnnamedUnsupported(int error) {
    return error == -EOPNOTSUPP || error == -EISDIR || error == -EINVAL || error == -ENOSYS;
}

}  // namespace

std::string TempNamePrefix(const std::string& forName) {
    // FNV-1a: the same tag for the same name in every build and run.
    std::uint32_t hash = 2166136261u;
    for (const char c : forName) {
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    static constexpr char Hex[] = "0123456789abcdef";
    std::string prefix = NamePrefix;
    for (int shift = 28; shift >= 0; shift -= 4) {
        prefix.push_back(Hex[(hash >> shift) & 0xF]);
    }
    prefix.push_back('-');
    return prefix;
}

TempFile::~TempFile() {
    Discard();
}

int TempFile::Create(const std::string& folder, const std::string& forName) {
    Discard();
    folder_ = folder;
    prefix_ = folder + "/" + TempNamePrefix(forName);
    int fd = files_.OpenUnnamed(folder, 0600);
    if (fd < 0 && UnnamedUnsupported(fd)) {
        std::string pattern = prefix_ + "XXXXXX";
        fd = files_.MakeTemp(&pattern);
        if (fd >= 0) {
            name_ = pattern;
        }
    }
    if (fd < 0) {
        return fd;
    }
    // Held locked while in use: the next run's clean-up takes only a
    // temporary file that no running command holds (see RemoveStaleTemps).
    // Where the file system has no locks, nothing but its owner decides.
    files_.Lock(fd);
    fd_ = fd;
    return 0;
}

std::string TempFile::CandidateName() const {
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand random{std::random_device{}()};
    std::string name = prefix_;
    for (int i = 0; i < 6; ++i) {
        name.push_back(Letters[random() % (sizeof Letters - 1)]);
    }
    return name;
}

int TempFile::Flush() {
    return files_.Fsync(fd_);
}

int TempFile::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int TempFile::GiveHiddenName() {
    for (int attempt = 0; name_.empty(); ++attempt) {
        std::string candidate = CandidateName();
        const int linked = files_.LinkOpenFile(fd_, candidate);
        if (linked == 0) {
            name_ = std::move(candidate);
        } else if (linked != -EEXIST || attempt == 16) {
            return linked;
        }
    }
    return 0;
}

int TempFile::Replace(const std::string& target, FailedStep* step) {
    *step = FailedStep::ReplaceFile;
    // Linux cannot link an unnamed file over an existing name: it gets a
    // hidden name first, and the rename below replaces the target atomically.
    if (const int named = GiveHiddenName(); named < 0) {
        return named;
    }
    if (const int renamed = files_.Rename(name_, target); renamed < 0) {
        return renamed;
    }
    name_.clear();
    *step = FailedStep::FlushFolder;
    return FlushFolder(files_, folder_);
}

int TempFile::Publish(const std::string& path, FailedStep* step) {
    *step = FailedStep::FlushRecord;
    if (const int flushed = files_.Fsync(fd_); flushed < 0) {
        return flushed;
    }
    *step = FailedStep::NameRecord;
    if (name_.empty()) {
        if (const int linked = files_.LinkOpenFile(fd_, path); linked < 0) {
            return linked;
        }
    } else {
        // A hard link never replaces either; the hidden name goes once the
        // visible one stands.
        if (const int linked = files_.Link(name_, path); linked < 0) {
            return linked;
        }
        if (const int unlinked = files_.Unlink(name_); unlinked < 0) {
            files_.Unlink(path);
            return unlinked;
        }
    }
    name_ = path;
    *step = FailedStep::FlushFolder;
    return FlushFolder(files_, folder_);
}

void TempFile::Keep() {
    if (fd_ >= 0) {
        files_.Close(fd_);
        fd_ = -1;
    }
    name_.clear();
}

int TempFile::Discard() {
    if (fd_ >= 0) {
        files_.Close(fd_);
        fd_ = -1;
    }
    int removed = 0;
    if (!name_.empty()) {
        removed = files_.Unlink(name_);
        name_.clear();
    }
    return removed;
}

}  // namespace quarnix
