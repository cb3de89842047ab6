// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file of one command, held from its opening to the command's end: open
// for reading and writing, locked so that a second run of the program on it
// (under any name or link) is refused, and described as it was found, so that
// a change by a program that takes no lock is noticed before it could be lost.

#include <sys/stat.h>

#include <string>

#include "engine/files/file_io.h"
#include "engine/files/file_ops.h"
#include "engine/files/work_failure.h"

namespace quarnix {

class WorkFile {
  public:
    // `path` as the request names it; `openPath` the same file reached
    // through its held folder (HeldFolder), which Open opens.
    WorkFile(FileOps& files, std::string path, std::string openPath)
        : files_(files), path_(std::move(path)), openPath_(std::move(openPath)), fd_(files, -1) {}

    // Opens, locks and describes the file; refuses a file marked unchangeable
    // (chattr +i or +a) and one that another program holds locked.
    WorkResult Open();

    FileOps& files() const { return files_; }
    const std::string& Path() const { return path_; }  // as the request names it
    int fd() const { return fd_.get(); }
    const struct stat& Found() const { return found_; }
    std::uint64_t Length() const { return static_cast<std::uint64_t>(found_.st_size); }
    unsigned Flags() const { return flags_; }  // 0 where the file system keeps none
    // A write lease is held: another program that opens the file is noticed.
    bool Watched() const { return leased_; }

    // The open file and the file at the path are still the one found: same
    // device, inode, length, and times of the last change to content and
    // inode. Else a FileChanged failure: this command's work is to be dropped.
    // A write lease that was taken and is lost meanwhile (another program
    // has opened the file) is a FileOpenElsewhere failure.
    WorkResult CheckUnchanged() const;

    // The same for the open file alone, whatever its path names now, but for
    // its change time, which its own renaming moves: after another file was
    // put in its place, the lease still tells whether a program opened it
    // meanwhile.
    WorkResult CheckOpenFileUnchanged() const;

    // The path still names the open file, whatever was written to it since.
    WorkResult CheckStillAtPath() const;

    // The open file `fd`, locked by the caller, has just replaced the file at
    // the path: hold it instead, described anew.
    int Adopt(int fd);

    // Describes the held file anew, after this command wrote to it.
    int Refresh() { return files_.Fstat(fd_.get(), &found_); }

  private:
    // A write lease that was taken is still held.
    WorkResult LeaseStillHeld() const;

    FileOps& files_;
    std::string path_;
    std::string openPath_;
    OwnedFd fd_;
    struct stat found_ {};
    unsigned flags_ = 0;
    bool leased_ = false;  // a write lease was taken on fd_
};

// Takes the lock of a command on an open file: 0, or the -errno of a lock that
// another holds (-EAGAIN, -EACCES) or that failed. Where the file system cannot
// lock at all, answers 0: the checks of WorkFile::CheckUnchanged still hold.
int LockForWork(FileOps& files, int fd);

}  // namespace quarnix
